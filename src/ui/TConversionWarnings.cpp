#include "ui/TConversionWarnings.h"

#include <QStringList>

#include <algorithm>

#include "ui/Look.h"
#include "ui/TFieldText.h"

using quillshift::WarningCode;

void TConversionWarnings::add(const std::vector<quillshift::ConversionWarning>& warnings,
                              std::size_t inputLine, int outputLine,
                              const quillshift::LineRepair* repair, std::string_view converted) {
    if (warnings.empty()) {
        return;
    }
    Line line{static_cast<std::uint32_t>(inputLine),
              outputLine,
              static_cast<std::uint32_t>(warnings_.size()),
              static_cast<std::uint32_t>(warnings.size()),
              -1,
              static_cast<std::uint32_t>(outputMarks_.size()),
              std::all_of(warnings.begin(), warnings.end(),
                          [](const quillshift::ConversionWarning& w) { return w.fixed; })};
    warnings_.insert(warnings_.end(), warnings.begin(), warnings.end());
    if (repair != nullptr && outputLine >= 0) {
        line.fix = static_cast<std::int32_t>(fixes_.size());
        fixes_.push_back({std::string(converted), repair->text});
        line.fixed = repair->applied;
    }
    const auto index = static_cast<std::uint32_t>(lines_.size());
    lines_.push_back(line);
    inputMarks_.push_back(mark(index, false));
    if (outputLine >= 0) {
        byOutputMark_.push_back(index);
        outputMarks_.push_back(mark(index, true));
    }
}

std::size_t TConversionWarnings::open() const {
    return static_cast<std::size_t>(
        std::count_if(lines_.begin(), lines_.end(), [](const Line& line) { return !line.fixed; }));
}

bool TConversionWarnings::canFixLine(std::size_t line) const {
    return lines_[line].fix >= 0 && !lines_[line].fixed;
}

bool TConversionWarnings::canFixByConvertingAgain(std::size_t line) const {
    const Line& warned = lines_[line];
    return !warned.fixed && warned.outputLine < 0 &&
           std::any_of(warnings_.begin() + warned.first,
                       warnings_.begin() + warned.first + warned.count,
                       [](const quillshift::ConversionWarning& w) {
                           return w.code == WarningCode::ProgramLineNotRecognised;
                       });
}

const std::string& TConversionWarnings::converted(std::size_t line) const {
    return fixes_[static_cast<std::size_t>(lines_[line].fix)].converted;
}

const std::string& TConversionWarnings::repaired(std::size_t line) const {
    return fixes_[static_cast<std::size_t>(lines_[line].fix)].repaired;
}

TLineMarks::Mark TConversionWarnings::mark(std::size_t line, bool output) const {
    const Line& warned = lines_[line];
    const int at = output ? warned.outputLine : static_cast<int>(warned.inputLine);
    return warned.fixed ? TLineMarks::Mark{at, 'f', look::kDarkGreen.rgb(), false}
                        : TLineMarks::Mark{at, '!', look::kBlack.rgb(), true};
}

QString TConversionWarnings::tip(std::size_t line) const {
    const Line& warned = lines_[line];
    QStringList parts;
    for (std::uint32_t i = warned.first; i < warned.first + warned.count; ++i) {
        const quillshift::ConversionWarning& w = warnings_[i];
        const QString message =
            QString::fromLatin1(w.message.data(), static_cast<qsizetype>(w.message.size()));
        const QString code = QString::fromLatin1(quillshift::warningCodeName(w.code).data());
        parts << QStringLiteral("%1 (column %2): %3 [%4]")
                     .arg(warned.fixed ? QStringLiteral("Fixed") : QStringLiteral("Warning"))
                     .arg(w.column)
                     .arg(message, code);
    }
    if (canFixLine(line)) {
        parts << QStringLiteral("Suggested fix, which right-clicking the mark applies:\n%1")
                     .arg(TFieldText::toText(repaired(line)));
    } else if (canFixByConvertingAgain(line)) {
        parts << QStringLiteral(
            "Suggested fix, which right-clicking the mark applies: start the "
            "body at this line, converting the script again.");
    }
    return parts.join(QLatin1Char('\n'));
}

TLineMarks::Legend TConversionWarnings::legend() {
    return {{'!', QStringLiteral("a warning: the conversion may have broken this line")},
            {'f', QStringLiteral("a warning whose suggested fix was applied")}};
}
