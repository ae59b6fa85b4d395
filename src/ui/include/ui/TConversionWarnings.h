#pragma once

#include <QString>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "conversion/ConversionWarning.h"
#include "conversion/LegacyConverter.h"
#include "ui/TLineMarks.h"

/// The warnings of a conversion, line by line, for the window: a mark on each warned input line
/// and, for a body line, on its output line, whose tooltip gives each warning's sentence and the
/// suggested fix; and the state of each line's fix once the user applied it. A warned line is
/// "open" until its fix is applied (or the conversion applied it).
class TConversionWarnings {
public:
    /// The warnings (one input line's, or the script's "no program line") of input line
    /// `inputLine` (0-based), shown also on output line `outputLine` (-1: none, a header line).
    /// `repair`, when the line has one, is its repaired text; `converted` what the rules made of
    /// the line.
    void add(const std::vector<quillshift::ConversionWarning>& warnings, std::size_t inputLine,
             int outputLine, const quillshift::LineRepair* repair, std::string_view converted);

    /// The marks of the warned lines in the input (one a line, in order) and in the output, handed
    /// over once.
    TLineMarks::Marks takeInputMarks() { return std::exchange(inputMarks_, {}); }
    TLineMarks::Marks takeOutputMarks() { return std::exchange(outputMarks_, {}); }

    /// Warned lines, and of them those still open.
    std::size_t size() const { return lines_.size(); }
    std::size_t open() const;

    /// The warned line of output mark `mark` (in the list of takeOutputMarks), and the output
    /// mark of a warned line; the input's marks are one per warned line, in order.
    std::size_t atOutputMark(std::size_t mark) const { return byOutputMark_[mark]; }
    std::size_t outputMark(std::size_t line) const { return lines_[line].outputMark; }
    bool hasOutputLine(std::size_t line) const { return lines_[line].outputLine >= 0; }

    /// The tooltip of warned line `line`'s marks.
    QString tip(std::size_t line) const;

    /// True when `line` has a repair of its own text, applied or not.
    bool hasFix(std::size_t line) const { return lines_[line].fix >= 0; }
    /// True when `line` has a repair of its own text that is not applied.
    bool canFixLine(std::size_t line) const;
    /// True when `line` is a program line that the rule missed and the conversion did not start
    /// its body there: the fix converts the script again.
    bool canFixByConvertingAgain(std::size_t line) const;
    const std::string& converted(std::size_t line) const;
    const std::string& repaired(std::size_t line) const;

    bool isFixed(std::size_t line) const { return lines_[line].fixed; }
    void setFixed(std::size_t line, bool fixed) { lines_[line].fixed = fixed; }

    /// How `line`'s marks look now: a warning, or fixed.
    TLineMarks::Mark mark(std::size_t line, bool output) const;

    /// What the letters of warned lines mean.
    static TLineMarks::Legend legend();

private:
    struct Line {
        std::uint32_t inputLine;
        std::int32_t outputLine;
        std::uint32_t first;  // first of its warnings in warnings_
        std::uint32_t count;
        std::int32_t fix;  // in fixes_; -1 when it has no repair of its text
        std::uint32_t outputMark;
        bool fixed;
    };
    struct Fix {
        std::string converted;
        std::string repaired;
    };

    std::deque<quillshift::ConversionWarning> warnings_;
    std::deque<Line> lines_;
    std::deque<Fix> fixes_;
    std::deque<std::uint32_t> byOutputMark_;  // the warned line of each output mark
    TLineMarks::Marks inputMarks_;
    TLineMarks::Marks outputMarks_;
};
