#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/ConversionWarning.h"
#include "conversion/ScriptProperties.h"
#include "conversion/WarningCodeSet.h"

namespace quillshift {

/// The rewrite applied to a body line. When several match one line, the last one's result stands.
enum class BodyRule { None, GetPicture, DisplayResults, CheckVersion, VersionMessage };

/// The number of BodyRule values, None included.
inline constexpr std::size_t kBodyRuleCount = 5;

/// "GetPicture", "DisplayResults", "CheckVersion", "VersionMessage" (empty for None).
std::string_view bodyRuleName(BodyRule rule);

/// What the conversion did with a header line (one before the program line).
enum class HeaderUse {
    FirstLine,    ///< ignored: the first line
    Title,        ///< the title line: gave Title and Description
    Frame,        ///< ignored: a frame of asterisks
    Empty,        ///< ignored: empty once trimmed of its asterisks
    Boilerplate,  ///< dropped: licence or site boilerplate (see phrase)
    Authors,      ///< gave Authors
    Site,         ///< gave Site
    Comment,      ///< became a comment line
};

struct HeaderLineNote {
    HeaderUse use = HeaderUse::Comment;
    std::size_t language = 0;      ///< the LanguageTable row its language tag set; 0 when none
    std::string_view phrase = {};  ///< for Boilerplate, the phrase that marked it (static text)
};

/// A body line whose warnings have a repair.
struct LineRepair {
    std::size_t line = 0;  ///< 1-based number of the input line
    std::string text;      ///< the output line with every repair of the line applied
    WarningCodeSet needs;  ///< the codes of the line's repairable warnings
    /// The output holds `text`: every code in `needs` was asked for. A line is repaired as a
    /// whole or not at all; with other fixes (fixes.containsAll(needs) false) it keeps the rules'
    /// output and its warnings stay.
    bool applied = false;

    bool operator==(const LineRepair&) const = default;
};

/// What a conversion did line by line, for showing it.
///
/// The header lines are the input's first header.size() lines; the body lines follow, each
/// giving the output line of the same index minus header.size(). Fixing a program line that the
/// rule missed (WarningCode::ProgramLineNotRecognised) moves that boundary: header.size() is then
/// the number of the repaired program line minus one, and the properties hold only what the lines
/// before it gave.
struct ConversionNotes {
    std::vector<HeaderLineNote> header;  ///< one per header line, in order
    std::vector<BodyRule> bodyRules;     ///< one per body line: the rule whose result stands
    /// When the conversion was checked: every warning, in input line order (a line's warnings in
    /// column order; NoProgramLine comes last, after every line). Columns count bytes of the line
    /// as fed, a tab having become four blanks.
    std::vector<ConversionWarning> warnings;
    /// When the conversion was checked: one for each body line whose warnings have a repair, in
    /// line order. Replacing an output line by its text applies that line's repair alone. The
    /// repair of a program line that the rule missed is not among them: it moves the body's start,
    /// so it takes a conversion with WarningCode::ProgramLineNotRecognised among the fixes.
    std::vector<LineRepair> repairs;
};

class ScriptChecker;

/// One run of the legacy-script conversion, fed line by line.
///
/// Lines before the first program line (one whose upper-cased text starts with "PROGRAM ") form
/// the legacy header: they are harvested into the properties and produce no output. From the
/// program line on every line is a body line and yields exactly one converted line. Feed lines
/// without terminators and without tabs (as the loader gives them); a body line (the program line
/// included) may also be fed with its tabs, each standing for four blanks: the rules treat a tab
/// as the text it stands for, so expanding the converted line gives what the expanded line
/// converts to.
class LegacyConverter {
public:
    /// Starts a run that harvests into `properties`, which must outlive the converter. Its comments
    /// are cleared now; Title, Description, Authors, Site and Language are set only by header lines
    /// that carry them, and Version is never touched.
    /// With `joinedComments`, the comment lines are not stored one by one in properties.comments
    /// but appended to *joinedComments as the writer joins them (see joinComments), which costs
    /// far less memory for a header of many short lines; it must outlive the converter too.
    explicit LegacyConverter(ScriptProperties& properties, std::string* joinedComments = nullptr);

    /// Feeds the next line. Returns false for a header line (nothing to output). Returns true for a
    /// body line and puts its converted text into `out`; `rule`, when given, receives the rule
    /// whose result stands (None when no rule matched).
    bool convertLine(std::string_view line, std::string& out, BodyRule* rule = nullptr);

    /// As convertLine, but for a body line `out` is pointed at the converted text: at `line`
    /// itself when no rule matched, else into `scratch` (or, repaired, into the converter), so
    /// that unchanged lines are not copied. `out` is valid while both `line`'s bytes and `scratch`
    /// stay unchanged: the next call with the same scratch overwrites it.
    /// `mayOpenComment` false promises that `line` holds neither "{" nor "*" (a caller reading
    /// the text may know it at little cost); the checks then need not look for comment openers.
    bool convertLine(std::string_view line, std::string& scratch, std::string_view& out,
                     BodyRule* rule = nullptr, bool mayOpenComment = true);

    /// Records in `notes` what becomes of each line fed from now on; `notes` must outlive the
    /// converter.
    void keepNotes(ConversionNotes& notes);

    /// Checks every line fed from now on for places where the rules may have broken the script
    /// (see ScriptChecker and BodyLineChecker), before the first line. Without fixes, what the
    /// converter outputs does not change in any way. With `fixes`, a body line whose repairable
    /// warnings all have codes in `fixes` is output repaired instead, and with
    /// ProgramLineNotRecognised among them the body starts at the first program line that the rule
    /// missed. The warnings go to lineWarnings() and to the notes, if kept.
    void checkLines(WarningCodeSet fixes = {});

    /// The warnings of the line fed last (or, after endOfInput, the NoProgramLine warning if the
    /// body never started), columns 1-based in the line as fed; empty when not checking. Valid
    /// until the next call that feeds a line.
    const std::vector<ConversionWarning>& lineWarnings() const { return *lineWarnings_; }

    /// Tells the converter that the last line has been fed. Only the checks need it.
    void endOfInput();

    /// True once the program line has been seen.
    bool inBody() const { return inBody_; }

    /// True when `line` is a program line: its upper-cased text starts with "PROGRAM ". A tab
    /// after the word counts as the blank it becomes, so that a line may be asked about before
    /// its tabs are expanded.
    static bool isProgramLine(std::string_view line);

    /// 1-based number of the first header line that marks a script that already has a converted
    /// header, 0 when there is none: a line that is the "[Infos]" section heading in any letter
    /// case, with blanks inside the brackets or a comment after them ("[ infos ] ; edited"), or
    /// the third line of a script that opens with the converted header's first three lines.
    std::size_t convertedMarkLine() const { return convertedMarkLine_; }

    ~LegacyConverter();
    LegacyConverter(const LegacyConverter&) = delete;
    LegacyConverter& operator=(const LegacyConverter&) = delete;

private:
    HeaderLineNote harvestHeaderLine(std::string_view line);
    void noteWarnings();

    ScriptProperties& properties_;
    std::size_t index_ = 0;
    bool inBody_ = false;
    std::size_t convertedMarkLine_ = 0;
    bool openedLikeConvertedHeader_ = false;
    std::string* joinedComments_;
    ConversionNotes* notes_ = nullptr;
    std::unique_ptr<ScriptChecker> checker_;
    static const std::vector<ConversionWarning> kNoWarnings;
    const std::vector<ConversionWarning>* lineWarnings_ = &kNoWarnings;
};

/// Converts a whole legacy script: replaces `output` with the converted body lines and harvests the
/// header into `properties` as LegacyConverter does. The caller clears `properties` first when it
/// wants a fresh record. `input` and `output` must be different objects. With `notes`, they are
/// replaced by what became of each line, the conversion is checked, and they hold its warnings
/// and the repaired text of each line that has a repair. With `fixes`, the conversion is checked
/// and those repairs are applied (see LegacyConverter::checkLines); without, the output is exactly
/// the rules' output.
void convertLegacyScript(const std::vector<std::string>& input, std::vector<std::string>& output,
                         ScriptProperties& properties, ConversionNotes* notes = nullptr,
                         WarningCodeSet fixes = {});

}  // namespace quillshift
