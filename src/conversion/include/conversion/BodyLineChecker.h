#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BodyRuleMatches.h"
#include "conversion/ConversionWarning.h"
#include "conversion/PascalTokenizer.h"
#include "conversion/WarningCodeSet.h"

namespace quillshift {

/// Looks at one body line, at what the body rules did with it, and reports where that may have
/// broken the script; and works out the line with every repair applied.
///
/// A call is the function's name standing in code as a whole word (not in a string, a comment or a
/// longer name); its own argument list is the parenthesised list right after the name (blanks
/// and comments may stand between), whose commas and parentheses count only outside strings,
/// comments and nested parentheses. The repaired line applies each rule to each of its own calls:
/// GetPicture loses its arguments from its first top-level comma up to its own closing parenthesis;
/// CheckVersion's own arguments become 3,5,0; DisplayResults is put behind // as the rule does
/// where only its ";" and comments follow it and it is no then/else/do/case-label statement, and
/// otherwise only the call itself goes inside { and }; a ShowMessage call whose arguments hold
/// "requires a newer" becomes the version message call, the rest of the line staying as it was. A
/// call whose argument list does not close on the line is left as it is. Everything else on the
/// line (strings, comments, longer names) stays as it was.
///
/// The object only holds working memory, so that checking many lines allocates little; one object
/// checks one line at a time. To check one body line on its own (a line edited after the
/// conversion, say), find the state at its start by handing the body lines before it to
/// PascalTokenizer::endState, starting from State::Code at the first body line, as ScriptChecker
/// does.
class BodyLineChecker {
public:
    /// What checking one line found.
    struct Outcome {
        PascalTokenizer::State endState = PascalTokenizer::State::Code;  ///< after the line
        /// The codes of this line's warnings that have a repair; empty when none has. The repaired
        /// line is to be used only when all of them are asked for.
        WarningCodeSet repairNeeds;
    };

    /// Checks `line`, which starts in lexical state `state` and which the rules converted into
    /// `converted` as `matches` (from matchBodyRules(line)) says. Appends the line's warnings to
    /// `warnings` in column order, with `lineNumber` and columns 1-based in `line`, none of them
    /// fixed. `line` and `matches` must stay unchanged until the next check, for repair(). Never
    /// throws but for lack of memory.
    Outcome check(std::size_t lineNumber, std::string_view line, PascalTokenizer::State state,
                  const BodyRuleMatches& matches, std::string_view converted,
                  std::vector<ConversionWarning>& warnings);

    /// Puts into `repaired` the line checked last with every repair applied (see the class).
    /// Meaningful when that line's Outcome named codes to repair.
    void repair(std::string& repaired);

    /// One call of a body function on the line; positions are 0-based offsets into the line.
    struct Call {
        std::size_t at = 0;                          ///< where the name starts
        std::size_t open = std::string_view::npos;   ///< its own "(", npos for none
        std::size_t close = std::string_view::npos;  ///< its own ")", npos for none
        std::size_t comma = std::string_view::npos;  ///< its first top-level ","
        std::size_t end = 0;                         ///< after its ")" or, without one, its name
        bool continues = false;  ///< its argument list, or for a function that needs arguments
                                 ///< the list itself, goes on past the end of the line
    };

    /// An argument list that has opened and not yet closed, while the lists are resolved.
    struct OpenList {
        Call* call;
        long depth;  ///< the parentheses' depth outside its "("
    };

private:
    struct Edit {
        std::size_t begin;
        std::size_t end;
        std::string_view text;  ///< replaces [begin, end)
        bool wrap;              ///< instead: "{" + the replaced text + "}"
    };

    void findCalls();
    bool holdsVersionWords(const Call& call);
    void checkCut(BodyKeyword keyword, std::size_t cutFrom, std::size_t cutTo);
    void checkDisplayResults();
    void checkVersionMessage();
    void checkOverridden(BodyRule standing);
    bool rewriteIsHarmless();
    void warn(WarningCode code, std::size_t at, std::string_view message, bool repairable);

    // The line being checked.
    std::size_t lineNumber_ = 0;
    std::string_view line_;
    std::string_view converted_;
    PascalTokenizer::State startState_ = PascalTokenizer::State::Code;
    PascalTokenizer::State endState_ = PascalTokenizer::State::Code;
    const BodyRuleMatches* matches_ = nullptr;
    std::vector<ConversionWarning>* warnings_ = nullptr;
    std::size_t firstWarning_ = 0;

    // Working memory, kept between lines.
    std::vector<PascalTokenizer::Span> spans_;
    std::vector<PascalTokenizer::Span> otherSpans_;
    std::vector<Call> calls_[kBodyKeywordCount];
    std::vector<Call*> withLists_;
    std::vector<OpenList> openLists_;
    std::size_t wordsAt_ = std::string_view::npos;  ///< REQUIRES A NEWER, see holdsVersionWords
    std::vector<Edit> edits_;
    std::string skeleton_;
    std::string otherSkeleton_;
};

}  // namespace quillshift
