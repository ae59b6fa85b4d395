#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillshift {

/// Why a line of a converted script needs a human look. The conversion rules are textual; these
/// are the places where what they did may have broken or changed the script.
enum class WarningCode : std::uint8_t {
    NoProgramLine,             ///< no line started the body: the script has no body
    ProgramLineNotRecognised,  ///< a program line with something before the word "program"
    WrongArgumentSplit,        ///< GetPicture/CheckVersion cut at a comma or ")" not the call's own
    CallContinues,             ///< a call's argument list does not close on its line
    SecondCallNotRewritten,    ///< a later call of the same function on the line was not rewritten
    KeywordInIdentifier,       ///< the keyword was part of a longer name, and was rewritten
    RewriteInString,           ///< the keyword stood in a string literal, and the text changed
    RuleOverridden,            ///< a later rule's result replaced an earlier rule's rewrite
    CodeCommentedOut,          ///< code after DisplayResults went into the // comment
    DanglingStatement,         ///< DisplayResults was the statement of then/else/do/a case label
    LineReplaced,              ///< the version message replaced more than one ShowMessage statement
};

inline constexpr std::size_t kWarningCodeCount = 11;

/// The code's name as users see and type it: "no-program-line", "program-line-not-recognised",
/// "wrong-argument-split", "call-continues", "second-call-not-rewritten",
/// "keyword-in-identifier", "rewrite-in-string", "rule-overridden", "code-commented-out",
/// "dangling-statement", "line-replaced".
std::string_view warningCodeName(WarningCode code);

/// The code named `name` (exactly, as warningCodeName gives it); nullopt for any other text.
std::optional<WarningCode> warningCodeFromName(std::string_view name);

/// Every code, in the order above.
const std::array<WarningCode, kWarningCodeCount>& allWarningCodes();

/// One warning about one input line.
struct ConversionWarning {
    std::size_t line = 0;    ///< 1-based number of the input line
    std::size_t column = 0;  ///< 1-based column of what it is about (see the producer); 0: none
    WarningCode code = WarningCode::NoProgramLine;
    /// One sentence: what happened and what to check. Static text; never empty.
    std::string_view message = {};
    /// A repair exists: asking for this code's fixes changes the line soundly (and, for
    /// ProgramLineNotRecognised, where the body starts). False for NoProgramLine and
    /// CallContinues, and where the repair cannot be made on this line.
    bool repairable = false;
    bool fixed = false;  ///< the repair was applied in this conversion

    bool operator==(const ConversionWarning&) const = default;
};

}  // namespace quillshift
