#include "conversion/ScriptChecker.h"

#include "base/TextOps.h"

namespace quillshift {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::string_view kNoProgramLine =
    "No line starts with the word program followed by a blank, so the whole script was read as "
    "its header and the converted script has no body; check the script's program line.";
constexpr std::string_view kProgramLineNotRecognised =
    "This is a program line, but something stands before the word program (blanks, a tab, a "
    "byte-order mark or a control character), so the conversion did not start the body here; "
    "check the start of the line.";

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameByte(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9');
}

// Where the word "program" starts in a program line that has something before it; npos for
// any other line. `strict` asks for the whole statement, the name followed by ";" (for a line
// inside a comment of the header: a sloppy header may leave its comment open up to the program
// line, but a line of comment text is seldom a whole program statement).
std::size_t missedProgramWord(std::string_view line, bool strict) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (static_cast<unsigned char>(line[i]) <= 32) {
            ++i;
        } else if (line.substr(i).starts_with(kByteOrderMark)) {
            i += kByteOrderMark.size();
        } else {
            break;
        }
    }
    constexpr std::string_view kProgram = "PROGRAM ";
    const std::string_view rest = line.substr(i);
    if (i == 0 || !text::startsWithIgnoringAsciiCase(rest, kProgram)) {
        return std::string_view::npos;
    }
    std::size_t j = kProgram.size();
    while (j < rest.size() && rest[j] == ' ') {
        ++j;
    }
    if (j == rest.size() || !isNameStart(rest[j])) {
        return std::string_view::npos;
    }
    while (j < rest.size() && isNameByte(rest[j])) {
        ++j;
    }
    while (j < rest.size() && rest[j] == ' ') {
        ++j;
    }
    const std::string_view after = rest.substr(j);
    if (strict) {
        return after.starts_with(";") ? i : std::string_view::npos;
    }
    const bool ends = after.empty() || after.front() == ';' || after.front() == '{' ||
                      after.front() == '(' || after.starts_with("//");
    return ends ? i : std::string_view::npos;
}

}  // namespace

bool ScriptChecker::checkHeaderLine(std::size_t lineNumber, std::string_view line) {
    quiet_ = false;
    warnings_.clear();
    repairNeeds_ = {};
    const bool inComment = state_ != PascalTokenizer::State::Code;
    state_ = PascalTokenizer::endState(line, state_);
    const std::size_t word = missedProgramWord(line, inComment);
    if (word == std::string_view::npos) {
        return false;
    }
    const bool fix = fixes_.contains(WarningCode::ProgramLineNotRecognised);
    warnings_.push_back({lineNumber, word + 1, WarningCode::ProgramLineNotRecognised,
                         kProgramLineNotRecognised, true, fix});
    keepProgramLineWarning_ = fix;
    return fix;
}

std::string_view ScriptChecker::checkAnyBodyLine(std::size_t lineNumber, std::string_view line,
                                                 const BodyRuleMatches& matches,
                                                 std::string_view converted) {
    if (!inBody_) {
        inBody_ = true;
        state_ = PascalTokenizer::State::Code;
    }
    // When the fix started the body at this line, the line keeps its program line warning.
    if (!keepProgramLineWarning_) {
        warnings_.clear();
    }
    keepProgramLineWarning_ = false;
    repairNeeds_ = {};
    if (!matches.anyToCheck()) {
        state_ = PascalTokenizer::endState(line, state_);
        quiet_ = warnings_.empty();
        return converted;
    }
    const BodyLineChecker::Outcome outcome =
        body_.check(lineNumber, line, state_, matches, converted, warnings_);
    state_ = outcome.endState;
    repairNeeds_ = outcome.repairNeeds;
    quiet_ = warnings_.empty();
    if (repairNeeds_.empty()) {
        return converted;
    }
    const bool fix = fixes_.containsAll(repairNeeds_);
    if (fix || keepRepairs_) {
        body_.repair(repaired_);
    }
    if (!fix) {
        return converted;
    }
    for (ConversionWarning& warning : warnings_) {
        warning.fixed = warning.repairable;
    }
    return repaired_;
}

void ScriptChecker::finish(bool bodyStarted) {
    quiet_ = false;
    warnings_.clear();
    repairNeeds_ = {};
    if (!bodyStarted) {
        warnings_.push_back({1, 1, WarningCode::NoProgramLine, kNoProgramLine, false, false});
    }
}

}  // namespace quillshift
