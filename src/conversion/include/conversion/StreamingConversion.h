#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/ConversionWarning.h"
#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptProperties.h"
#include "conversion/WarningCodeSet.h"

namespace quillshift {

/// Converts a legacy script held in memory in one pass, without building line lists, so that
/// converting a large file needs little more memory than the file itself. Splitting, converting
/// and the result are exactly those of splitScriptLines, convertLegacyScript and the writer.
///
/// The constructor reads the legacy header; properties() are then final (the body never changes
/// them) and may be adjusted by the caller before it writes the header and asks for the body lines
/// with nextBodyLine().
class StreamingConversion {
public:
    /// Whether and how the conversion is checked (see LegacyConverter::checkLines).
    struct Checks {
        bool enabled = false;  ///< report warnings
        WarningCodeSet fixes;  ///< apply these repairs (only when enabled)
        /// When given, each warning is handed to it as the body is converted (the header's and a
        /// script without body's at the first nextBodyLine()) instead of being kept in
        /// warnings(), so that a script with very many costs no memory for them.
        std::function<void(const ConversionWarning&)> onWarning = {};
    };

    /// One converted body line. The views are valid until the next call of nextBodyLine().
    /// Body lines keep their tabs here, so that a line of many tabs is never held expanded: each
    /// tab in `before` and `after` stands for the four blanks it becomes (see
    /// text::expandTabsInPieces; `tabs` says whether there are any).
    struct BodyLine {
        std::size_t lineNumber;   ///< 1-based number of the line in the legacy script
        std::string_view before;  ///< the line as loaded, its tabs not yet expanded
        std::string_view after;   ///< the converted line (repaired, when a fix applied), likewise
        BodyRule rule;            ///< the rule whose result stands, None when none matched
        std::string_view raw;     ///< the line's bytes in the script, its terminator included
        bool tabs = false;        ///< before (and so after) holds a tab
        std::span<const ConversionWarning> warnings = {};  ///< the line's, as in warnings()
    };

    /// Reads the header of `bytes`, which must outlive this object and hold no NUL byte
    /// (see requireNoNulByte). With checks enabled, warnings() then holds the header's warnings,
    /// and, when the script has no body, the NoProgramLine warning.
    StreamingConversion(std::string_view bytes, Checks checks);
    explicit StreamingConversion(std::string_view bytes);

    /// The harvested properties (starting from the cleared record), without the comments: those
    /// are kept joined, see joinedComments().
    ScriptProperties& properties() { return properties_; }
    const ScriptProperties& properties() const { return properties_; }

    /// The harvested comments, joined as the header's "Comments=" value (see joinComments). Kept
    /// as one string because a header of many short lines would cost many times its size as a
    /// list. Assign to it to set other comments.
    std::string& joinedComments() { return joinedComments_; }
    const std::string& joinedComments() const { return joinedComments_; }

    /// See LegacyConverter::convertedMarkLine.
    std::size_t convertedMarkLine() const { return converter_.convertedMarkLine(); }

    /// Converts the next body line into `line`; returns false when there is none left.
    bool nextBodyLine(BodyLine& line);

    /// With checks enabled, every warning of the lines read so far, in line order; with
    /// Checks::onWarning, only those not yet handed to it and the last body line's. Columns count
    /// the bytes of the line as it stands in the text (a tab is one column), as editors do.
    const std::vector<ConversionWarning>& warnings() const { return warnings_; }

private:
    bool readLine();
    void keepWarnings() {
        if (handedOver_) {
            warnings_.clear();  // handed over already
        }
        lineWarningsBegin_ = warnings_.size();
        if (checked_ && !converter_.lineWarnings().empty()) {
            copyLineWarnings();
        }
    }
    void copyLineWarnings();
    void handOverHeldWarnings();

    ScriptProperties properties_;
    std::string joinedComments_;
    LegacyConverter converter_;
    ScriptLineReader reader_;
    std::string lineScratch_;
    std::string convertedScratch_;
    std::string_view line_;
    std::string_view raw_;
    bool tabs_ = false;
    std::string_view converted_;
    BodyRule rule_ = BodyRule::None;
    std::size_t lineNumber_ = 0;
    bool firstBodyLineWaiting_ = false;
    bool checked_ = false;
    std::vector<ConversionWarning> warnings_;
    std::size_t lineWarningsBegin_ = 0;
    std::function<void(const ConversionWarning&)> onWarning_;
    bool handedOver_ = false;  ///< with onWarning_: the body has begun, warnings go at once
};

}  // namespace quillshift
