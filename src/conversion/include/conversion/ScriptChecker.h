#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BodyLineChecker.h"
#include "conversion/BodyRuleMatches.h"
#include "conversion/ConversionWarning.h"
#include "conversion/PascalTokenizer.h"
#include "conversion/WarningCodeSet.h"

namespace quillshift {

/// Checks a whole conversion, fed line by line in order along with what the rules did, and
/// repairs on request: the warnings of each line come out as the line goes by, and the state kept
/// between lines is a few bytes (whether a comment is open), so a script of any length is checked
/// as it streams.
///
/// Header lines are checked for a program line that the rule missed because something stands
/// before the word "program": blanks (an indented line, or a tab, which arrives as four blanks),
/// a UTF-8 byte-order mark or other control bytes, and then "program", a blank, a name and a ";",
/// "(", a comment or the end of the line. Inside a comment of the header (which a sloppy header
/// may leave open up to the program line) only "program", a name and ";" count. Body lines are
/// checked by BodyLineChecker; the body's first line starts outside any comment.
class ScriptChecker {
public:
    /// Checks with the repairs of the codes in `fixes` applied.
    explicit ScriptChecker(WarningCodeSet fixes = {}) : fixes_(fixes) {}

    /// Checks the header line numbered `lineNumber` (1-based; the rules did not start the body at
    /// it). Returns true when it is a program line that the rule missed and
    /// ProgramLineNotRecognised is among the fixes: the body then starts at this line, which is to
    /// be fed again to checkBodyLine as the first body line; its warning is marked fixed.
    bool checkHeaderLine(std::size_t lineNumber, std::string_view line);

    /// Checks the body line numbered `lineNumber`, which the rules converted into `converted` as
    /// `matches` (matchBodyRules(line)) says. Returns the line to write: `converted`, or, when the
    /// line's warnings have a repair and every code they need is among the fixes, the repaired
    /// line (a view of this object's memory, valid until the next call); those warnings are then
    /// marked fixed.
    std::string_view checkBodyLine(std::size_t lineNumber, std::string_view line,
                                   const BodyRuleMatches& matches, std::string_view converted) {
        // Most lines hold no name to check and leave no comment open, after a line without
        // warnings: nothing changes.
        if (quiet_ && state_ == PascalTokenizer::State::Code && !matches.commentOpener &&
            !matches.anyToCheck()) {
            return converted;
        }
        return checkAnyBodyLine(lineNumber, line, matches, converted);
    }

    /// Called after the last line: when no line started the body, warnings() then holds the
    /// NoProgramLine warning (at line 1, column 1), else nothing.
    void finish(bool bodyStarted);

    /// The warnings of the line checked last (or of finish), in column order.
    const std::vector<ConversionWarning>& warnings() const { return warnings_; }

    /// For the body line checked last: the codes its repair needs (empty when it has none) and
    /// the line with every repair applied (meaningful only when the codes are not empty and the
    /// repair was applied or repaired lines are kept).
    const WarningCodeSet& repairNeeds() const { return repairNeeds_; }
    const std::string& repairedLine() const { return repaired_; }

    /// Makes repairedLine() hold the repaired line of every line that has one, not only of those
    /// repaired.
    void keepRepairedLines() { keepRepairs_ = true; }

private:
    std::string_view checkAnyBodyLine(std::size_t lineNumber, std::string_view line,
                                      const BodyRuleMatches& matches, std::string_view converted);

    WarningCodeSet fixes_;
    bool quiet_ = false;  ///< in the body, and the last line left no warning
    PascalTokenizer::State state_ = PascalTokenizer::State::Code;
    bool inBody_ = false;
    bool keepProgramLineWarning_ = false;
    bool keepRepairs_ = false;
    BodyLineChecker body_;
    std::vector<ConversionWarning> warnings_;
    WarningCodeSet repairNeeds_;
    std::string repaired_;
};

}  // namespace quillshift
