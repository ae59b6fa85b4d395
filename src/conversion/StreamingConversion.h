#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptProperties.h"

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
    /// One converted body line. The views are valid until the next call of nextBodyLine().
    /// Body lines keep their tabs here, so that a line of many tabs is never held expanded: each
    /// tab in `before` and `after` stands for the four blanks it becomes (see
    /// text::expandTabsInPieces; `tabs` says whether there are any).
    struct BodyLine {
        std::size_t lineNumber;   ///< 1-based number of the line in the legacy script
        std::string_view before;  ///< the line as loaded, its tabs not yet expanded
        std::string_view after;   ///< the converted line, likewise
        BodyRule rule;            ///< the rule whose result stands, None when none matched
        std::string_view raw;     ///< the line's bytes in the script, its terminator included
        bool tabs = false;        ///< before (and so after) holds a tab
    };

    /// Reads the header of `bytes`, which must outlive this object and hold no NUL byte
    /// (see requireNoNulByte).
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

private:
    bool readLine();

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
};

}  // namespace quillshift
