#include "ui/TConversionReview.h"

#include <QStringList>

#include <array>
#include <utility>

#include "base/TextOps.h"
#include "conversion/LanguageTable.h"
#include "ui/Look.h"
#include "ui/TFieldText.h"

namespace {

using quillshift::BodyRule;
using quillshift::HeaderUse;

constexpr std::size_t kListedCommentLines = 5;

QString text(std::string_view bytes) {
    return TFieldText::toText(std::string(bytes));
}

QString languageText(std::size_t row) {
    const quillshift::LanguageRow& language = quillshift::LanguageTable::row(row);
    return QStringLiteral("%1 (%2)").arg(text(language.code), text(language.name));
}

char ruleSymbol(BodyRule rule) {
    switch (rule) {
        case BodyRule::GetPicture:
            return 'G';
        case BodyRule::DisplayResults:
            return 'D';
        case BodyRule::CheckVersion:
            return 'C';
        case BodyRule::VersionMessage:
            return 'M';
        case BodyRule::None:
            break;
    }
    return ' ';
}

// The symbol of a header line: what became of it, or L when it set the language and gave no
// other property.
TLineMarks::Mark headerMark(std::size_t line, const quillshift::HeaderLineNote& note) {
    TLineMarks::Mark mark{static_cast<int>(line), '-', look::kLockedText};
    switch (note.use) {
        case HeaderUse::FirstLine:
        case HeaderUse::Frame:
        case HeaderUse::Empty:
            break;
        case HeaderUse::Title:
            mark = {mark.line, 'T', look::kNavy};
            break;
        case HeaderUse::Boilerplate:
            mark = {mark.line, 'x', look::kMaroon};
            break;
        case HeaderUse::Authors:
            mark = {mark.line, 'A', look::kNavy};
            break;
        case HeaderUse::Site:
            mark = {mark.line, 'S', look::kNavy};
            break;
        case HeaderUse::Comment:
            mark = {mark.line, 'c', look::kDarkGreen};
            break;
    }
    if (note.language != 0 && note.use != HeaderUse::Authors && note.use != HeaderUse::Site) {
        mark = {mark.line, 'L', look::kNavy};
    }
    return mark;
}

QString fromLine(std::optional<std::size_t> line) {
    return line ? QStringLiteral("from line %1").arg(TConversionReview::lineNumber(*line))
                : QString();
}

}  // namespace

QString TConversionReview::lineNumber(std::size_t index) {
    return QStringLiteral("%1").arg(index + 1, 4, 10, QLatin1Char('0'));
}

TConversionReview::TConversionReview(const std::vector<std::string>& input,
                                     const std::vector<std::string>& output,
                                     const quillshift::ScriptProperties& properties,
                                     quillshift::ConversionNotes notes)
    : properties_(properties), notes_(std::move(notes)) {
    findSources();
    markInput(input.size());
    markOutput(input, output);
    describe(output.size());
}

void TConversionReview::findSources() {
    for (std::size_t i = 0; i < notes_.header.size(); ++i) {
        const quillshift::HeaderLineNote& note = notes_.header[i];
        if (note.language != 0) {
            sources_.language = i;
        }
        if (note.use == HeaderUse::Title) {
            sources_.title = i;
        } else if (note.use == HeaderUse::Authors) {
            sources_.authors = i;
        } else if (note.use == HeaderUse::Site) {
            sources_.site = i;
        } else if (note.use == HeaderUse::Comment) {
            sources_.comments.push_back(i);
        }
    }
}

void TConversionReview::markInput(std::size_t inputLines) {
    for (std::size_t i = 0; i < notes_.header.size(); ++i) {
        inputMarks_.push_back(headerMark(i, notes_.header[i]));
    }
    const std::size_t programLine = notes_.header.size();
    if (programLine < inputLines) {
        inputMarks_.push_back({static_cast<int>(programLine), '>', look::kNavy});
    }
}

void TConversionReview::markOutput(const std::vector<std::string>& input,
                                   const std::vector<std::string>& output) {
    const std::size_t programLine = notes_.header.size();
    for (std::size_t i = 0; i < notes_.bodyRules.size() && i < output.size(); ++i) {
        const BodyRule rule = notes_.bodyRules[i];
        const std::string& before = input[programLine + i];
        if (rule != BodyRule::None && output[i] != before) {
            outputMarks_.push_back({static_cast<int>(i), ruleSymbol(rule), look::kNavy});
            rewrites_.push_back({rule, programLine + i, before});
        }
    }
}

void TConversionReview::describe(std::size_t bodyLines) {
    origins_.authors = fromLine(sources_.authors);
    origins_.title = fromLine(sources_.title);
    origins_.description = fromLine(sources_.title);
    origins_.site = fromLine(sources_.site);
    origins_.language = fromLine(sources_.language);
    if (!sources_.comments.empty()) {
        QStringList lines;
        for (std::size_t k = 0; k < sources_.comments.size() && k < kListedCommentLines; ++k) {
            lines << lineNumber(sources_.comments[k]);
        }
        if (sources_.comments.size() > kListedCommentLines) {
            lines << QStringLiteral("…");
        }
        origins_.comments = QStringLiteral("from lines %1").arg(lines.join(QStringLiteral(", ")));
    }

    std::array<std::size_t, quillshift::kBodyRuleCount> counts{};
    for (const Rewrite& rewrite : rewrites_) {
        ++counts[static_cast<std::size_t>(rewrite.rule)];
    }
    QStringList ruleCounts;
    for (std::size_t rule = 1; rule < quillshift::kBodyRuleCount; ++rule) {
        ruleCounts << QStringLiteral("%1 %2")
                          .arg(text(quillshift::bodyRuleName(static_cast<BodyRule>(rule))))
                          .arg(counts[rule]);
    }
    QStringList found;
    const std::pair<QString, bool> properties[] = {
        {QStringLiteral("Title"), sources_.title.has_value()},
        {QStringLiteral("Authors"), sources_.authors.has_value()},
        {QStringLiteral("Site"), sources_.site.has_value()},
        {QStringLiteral("Language"), sources_.language.has_value()},
        {QStringLiteral("Comments"), !sources_.comments.empty()}};
    for (const auto& [name, present] : properties) {
        if (present) {
            found << name;
        }
    }
    summary_ =
        QStringLiteral("%1 body lines, %2 header lines\nRewrites: %3\nProperties found: %4")
            .arg(bodyLines)
            .arg(notes_.header.size())
            .arg(ruleCounts.join(QStringLiteral(", ")),
                 found.isEmpty() ? QStringLiteral("none") : found.join(QStringLiteral(", ")));
}

// A header line gave a property: its value when that line's is the one kept, else the line that
// replaced it.
QString TConversionReview::givenOrReplaced(const QString& name, std::size_t line,
                                           std::optional<std::size_t> kept,
                                           const std::string& value) const {
    if (kept == line) {
        return QStringLiteral("%1: %2").arg(
            name, TFieldText::toText(std::string(quillshift::text::trimView(value))));
    }
    return QStringLiteral("%1, replaced by line %2").arg(name, lineNumber(kept.value_or(line)));
}

QString TConversionReview::inputTip(std::size_t index) const {
    if (index >= notes_.header.size()) {
        return QStringLiteral("the program line: the body starts here");
    }
    const quillshift::HeaderLineNote& note = notes_.header[index];
    QString tip;
    switch (note.use) {
        case HeaderUse::FirstLine:
            tip = QStringLiteral("ignored: the first line");
            break;
        case HeaderUse::Title:
            tip = QStringLiteral("Title: %1\nDescription: %2")
                      .arg(TFieldText::toText(properties_.title),
                           TFieldText::toText(properties_.description));
            break;
        case HeaderUse::Frame:
            tip = QStringLiteral("ignored: a frame of asterisks");
            break;
        case HeaderUse::Empty:
            tip = QStringLiteral("ignored: empty");
            break;
        case HeaderUse::Boilerplate:
            tip = QStringLiteral("dropped: boilerplate (\"%1\")").arg(text(note.phrase));
            break;
        case HeaderUse::Authors:
            tip = givenOrReplaced(QStringLiteral("Authors"), index, sources_.authors,
                                  properties_.authors);
            break;
        case HeaderUse::Site:
            tip = givenOrReplaced(QStringLiteral("Site"), index, sources_.site, properties_.site);
            break;
        case HeaderUse::Comment:
            tip = QStringLiteral("comment line");
            break;
    }
    if (note.language != 0) {
        tip += QLatin1Char('\n');
        tip += sources_.language == index
                   ? QStringLiteral("Language: %1").arg(languageText(note.language))
                   : QStringLiteral("Language %1, replaced by line %2")
                         .arg(languageText(note.language),
                              lineNumber(sources_.language.value_or(index)));
    }
    return tip;
}

QString TConversionReview::outputTip(std::size_t index) const {
    if (index >= rewrites_.size()) {
        return {};
    }
    const Rewrite& rewrite = rewrites_[index];
    return QStringLiteral("%1 rewrote this line (input line %2). It was:\n%3")
        .arg(text(quillshift::bodyRuleName(rewrite.rule)), lineNumber(rewrite.inputLine),
             TFieldText::toText(rewrite.before));
}
