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

// What a rule did to a line, in words.
QString ruleDeed(BodyRule rule) {
    switch (rule) {
        case BodyRule::GetPicture:
            return QStringLiteral("GetPicture call: its second argument was removed.");
        case BodyRule::DisplayResults:
            return QStringLiteral("DisplayResults call: it was made a comment.");
        case BodyRule::CheckVersion:
            return QStringLiteral("CheckVersion call: it now asks for version 3,5,0.");
        case BodyRule::VersionMessage:
            return QStringLiteral("version message: the line became the 3.5.0 message.");
        case BodyRule::None:
            break;
    }
    return {};
}

// The rules' names as the summary counts them.
QString ruleCount(BodyRule rule, std::size_t count) {
    const QString what = rule == BodyRule::VersionMessage
                             ? QStringLiteral("version message")
                             : text(quillshift::bodyRuleName(rule)) + QStringLiteral(" call");
    return QStringLiteral("%1 %2%3").arg(count).arg(what,
                                                    count == 1 ? QString() : QStringLiteral("s"));
}

// The symbol of a header line: what became of it, or L when it set the language and gave no
// other property.
TLineMarks::Mark headerMark(std::size_t line, const quillshift::HeaderLineNote& note) {
    const auto mark = [line](char symbol, QColor colour) {
        return TLineMarks::Mark{static_cast<int>(line), symbol, colour.rgb()};
    };
    if (note.language != 0 && note.use != HeaderUse::Authors && note.use != HeaderUse::Site) {
        return mark('L', look::kNavy);
    }
    switch (note.use) {
        case HeaderUse::Title:
            return mark('T', look::kNavy);
        case HeaderUse::Boilerplate:
            return mark('x', look::kMaroon);
        case HeaderUse::Authors:
            return mark('A', look::kNavy);
        case HeaderUse::Site:
            return mark('S', look::kNavy);
        case HeaderUse::Comment:
            return mark('c', look::kDarkGreen);
        case HeaderUse::FirstLine:
        case HeaderUse::Frame:
        case HeaderUse::Empty:
            break;
    }
    return mark('-', look::kLockedText);
}

// "input line 9", or what became of the line when the user deleted it.
QString inputLine(std::size_t mark, const TConversionReview::InputLine& now) {
    const int line = now(mark);
    return line < 0 ? QStringLiteral("an input line since deleted")
                    : QStringLiteral("input line %1").arg(line + 1);
}

// `phrase` as it stands in `line`, completed to whole words: the phrases end in mid-word.
std::string wholeWords(std::string_view line, std::string_view phrase) {
    const std::size_t at = line.find(phrase);
    if (at == std::string_view::npos) {
        return std::string(phrase);
    }
    std::size_t end = at + phrase.size();
    const auto isLetter = [](char c) {
        const char upper = quillshift::text::upperAscii(c);
        return upper >= 'A' && upper <= 'Z';
    };
    while (end < line.size() && isLetter(line[end])) {
        ++end;
    }
    return std::string(line.substr(at, end - at));
}

}  // namespace

int TConversionReview::unchanged(std::size_t inputMark) {
    return static_cast<int>(inputMark);
}

void TConversionReview::addHeaderLine(std::string_view line,
                                      const quillshift::HeaderLineNote& note) {
    const std::size_t i = header_.size();
    header_.push_back(note);
    inputMarks_.push_back(headerMark(i, note));
    if (note.language != 0) {
        sources_.language = i;
    }
    switch (note.use) {
        case HeaderUse::Title:
            sources_.title = i;
            break;
        case HeaderUse::Authors:
            sources_.authors = i;
            break;
        case HeaderUse::Site:
            sources_.site = i;
            break;
        case HeaderUse::Comment:
            sources_.comments.push_back(i);
            break;
        case HeaderUse::Boilerplate:
            boilerplate_.emplace_back(i, wholeWords(line, note.phrase));
            break;
        default:
            break;
    }
}

void TConversionReview::addBodyLine(std::string_view line, std::string_view converted,
                                    BodyRule rule) {
    const std::size_t inputLine = header_.size() + bodyLines_;
    if (bodyLines_++ == 0) {
        inputMarks_.push_back({static_cast<int>(inputLine), '>', look::kNavy.rgb()});
    }
    if (rule == BodyRule::None || converted == line) {
        return;
    }
    outputMarks_.push_back({static_cast<int>(bodyLines_ - 1), ruleSymbol(rule), look::kNavy.rgb()});
    // The input line is followed, without a letter, so that the tooltip can name it.
    rewrites_.push_back({static_cast<std::uint32_t>(inputMarks_.size()), rule});
    inputMarks_.push_back({static_cast<int>(inputLine), 0, 0});
}

void TConversionReview::addWarnings(const std::vector<quillshift::ConversionWarning>& warnings,
                                    const quillshift::LineRepair* repair,
                                    std::string_view converted) {
    if (warnings.empty()) {
        return;
    }
    // "No program line" stands at the first line, after every line was read.
    const bool wholeScript = warnings.front().code == quillshift::WarningCode::NoProgramLine;
    const std::size_t inputLine = wholeScript ? 0 : warnings.front().line - 1;
    const int outputLine = !wholeScript && inputLine >= header_.size()
                               ? static_cast<int>(inputLine - header_.size())
                               : -1;
    warnings_.add(warnings, inputLine, outputLine, repair, converted);
}

void TConversionReview::finish(const quillshift::ScriptProperties& properties) {
    properties_ = properties;
    properties_.comments.clear();
}

// The warned lines' marks come after the others, so that a header line's mark stays at the
// header line's number.
TLineMarks::Marks TConversionReview::takeInputMarks() {
    inputWarningsFrom_ = inputMarks_.size();
    TLineMarks::Marks marks = std::exchange(inputMarks_, {});
    TLineMarks::Marks warned = warnings_.takeInputMarks();
    marks.insert(marks.end(), warned.begin(), warned.end());
    return marks;
}

TLineMarks::Marks TConversionReview::takeOutputMarks() {
    outputWarningsFrom_ = outputMarks_.size();
    TLineMarks::Marks marks = std::exchange(outputMarks_, {});
    TLineMarks::Marks warned = warnings_.takeOutputMarks();
    marks.insert(marks.end(), warned.begin(), warned.end());
    return marks;
}

int TConversionReview::warnedLineOfInputMark(std::size_t mark) const {
    return mark >= inputWarningsFrom_ && mark - inputWarningsFrom_ < warnings_.size()
               ? static_cast<int>(mark - inputWarningsFrom_)
               : -1;
}

int TConversionReview::warnedLineOfOutputMark(std::size_t mark) const {
    return mark >= outputWarningsFrom_
               ? static_cast<int>(warnings_.atOutputMark(mark - outputWarningsFrom_))
               : -1;
}

std::size_t TConversionReview::inputMarkOf(std::size_t warned) const {
    return inputWarningsFrom_ + warned;
}

std::size_t TConversionReview::outputMarkOf(std::size_t warned) const {
    return outputWarningsFrom_ + warnings_.outputMark(warned);
}

TPropertiesPage::Origins TConversionReview::origins(const InputLine& now) const {
    const auto from = [&now](std::optional<std::size_t> line) {
        return line ? QStringLiteral("from %1").arg(inputLine(*line, now)) : QString();
    };
    TPropertiesPage::Origins origins;
    origins.authors = from(sources_.authors);
    origins.title = from(sources_.title);
    origins.description = from(sources_.title);
    origins.site = from(sources_.site);
    origins.language = from(sources_.language);
    if (!sources_.comments.empty()) {
        QStringList lines;
        for (std::size_t k = 0; k < sources_.comments.size() && k < kListedCommentLines; ++k) {
            const int line = now(sources_.comments[k]);
            lines << (line < 0 ? QStringLiteral("one since deleted") : QString::number(line + 1));
        }
        if (sources_.comments.size() > kListedCommentLines) {
            lines << QStringLiteral("…");
        }
        origins.comments =
            sources_.comments.size() == 1
                ? from(sources_.comments.front())
                : QStringLiteral("from input lines %1").arg(lines.join(QStringLiteral(", ")));
    }
    return origins;
}

QString TConversionReview::summary(bool inputEdited, bool outputEdited) const {
    std::array<std::size_t, quillshift::kBodyRuleCount> counts{};
    for (const Rewrite& rewrite : rewrites_) {
        ++counts[static_cast<std::size_t>(rewrite.rule)];
    }
    QStringList ruleCounts;
    for (std::size_t rule = 1; rule < quillshift::kBodyRuleCount; ++rule) {
        ruleCounts << ruleCount(static_cast<BodyRule>(rule), counts[rule]);
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
    QString summary =
        QStringLiteral(
            "%1 body lines, %2 header lines\nRewritten: %3\nProperties found: %4\n"
            "F8 and Shift+F8 go from mark to mark in the margins.")
            .arg(bodyLines_)
            .arg(header_.size())
            .arg(ruleCounts.join(QStringLiteral(", ")),
                 found.isEmpty() ? QStringLiteral("none") : found.join(QStringLiteral(", ")));
    if (warnings_.size() > 0) {
        const std::size_t open = warnings_.open();
        const std::size_t fixed = warnings_.size() - open;
        summary +=
            open == 1
                ? QStringLiteral("\nWarnings: 1 line needs a look (F8 goes to it)")
                : QStringLiteral("\nWarnings: %1 lines need a look (F8 goes to each)").arg(open);
        if (fixed != 0) {
            summary += QStringLiteral("; %1 fixed").arg(fixed);
        }
    }
    if (inputEdited || outputEdited) {
        const QString which = inputEdited && outputEdited ? QStringLiteral("Both panes have")
                              : inputEdited               ? QStringLiteral("The input has")
                                                          : QStringLiteral("The output has");
        summary += QStringLiteral("\n%1 been edited since this conversion.").arg(which);
    }
    return summary;
}

TLineMarks::Legend TConversionReview::inputLegend() {
    TLineMarks::Legend legend = {
        {'T', QStringLiteral("the title line: gave Title and Description")},
        {'A', QStringLiteral("gave Authors")},
        {'S', QStringLiteral("gave the Site address")},
        {'L', QStringLiteral("gave the Site language")},
        {'c', QStringLiteral("went into Comments")},
        {'x', QStringLiteral("dropped: licence or site text that the new header replaces")},
        {'-', QStringLiteral("ignored: the first line, a row of asterisks or an empty line")},
        {'>', QStringLiteral("the program line: the body starts here")}};
    const TLineMarks::Legend warned = TConversionWarnings::legend();
    legend.insert(legend.end(), warned.begin(), warned.end());
    return legend;
}

TLineMarks::Legend TConversionReview::outputLegend() {
    TLineMarks::Legend legend = {
        {'G', QStringLiteral("GetPicture call: its second argument was removed")},
        {'D', QStringLiteral("DisplayResults call: made a comment")},
        {'C', QStringLiteral("CheckVersion call: now asks for version 3,5,0")},
        {'M', QStringLiteral("version message: the line became the 3.5.0 message")}};
    const TLineMarks::Legend warned = TConversionWarnings::legend();
    legend.insert(legend.end(), warned.begin(), warned.end());
    return legend;
}

// A header line gave a property: its value when that line's is the one kept, else the line that
// replaced it.
QString TConversionReview::givenOrReplaced(const QString& name, std::size_t line,
                                           std::optional<std::size_t> kept,
                                           const std::string& value, const InputLine& now) const {
    if (kept == line) {
        return QStringLiteral("%1: %2").arg(
            name, TFieldText::toText(std::string(quillshift::text::trimView(value))));
    }
    return QStringLiteral("%1, replaced by %2").arg(name, inputLine(kept.value_or(line), now));
}

std::string TConversionReview::boilerplatePhrase(std::size_t line) const {
    const auto found = std::lower_bound(
        boilerplate_.begin(), boilerplate_.end(), line,
        [](const auto& entry, std::size_t wanted) { return entry.first < wanted; });
    return found != boilerplate_.end() && found->first == line ? found->second : std::string();
}

QString TConversionReview::inputTip(std::size_t index, const InputLine& now) const {
    if (const int warned = warnedLineOfInputMark(index); warned >= 0) {
        return warnings_.tip(static_cast<std::size_t>(warned));
    }
    if (index >= header_.size()) {
        return QStringLiteral("the program line: the body starts here");
    }
    const quillshift::HeaderLineNote& note = header_[index];
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
            tip = QStringLiteral("ignored: a row of asterisks");
            break;
        case HeaderUse::Empty:
            tip = QStringLiteral("ignored: empty");
            break;
        case HeaderUse::Boilerplate:
            tip = QStringLiteral(
                      "dropped: licence or site text that the new header replaces "
                      "(it holds \"%1\")")
                      .arg(text(boilerplatePhrase(index)));
            break;
        case HeaderUse::Authors:
            tip = givenOrReplaced(QStringLiteral("Authors"), index, sources_.authors,
                                  properties_.authors, now);
            break;
        case HeaderUse::Site:
            tip = givenOrReplaced(QStringLiteral("Site"), index, sources_.site, properties_.site,
                                  now);
            break;
        case HeaderUse::Comment:
            tip = QStringLiteral("went into Comments");
            break;
    }
    if (note.language != 0) {
        tip += QLatin1Char('\n');
        tip += sources_.language == index
                   ? QStringLiteral("Language: %1").arg(languageText(note.language))
                   : QStringLiteral("Language %1, replaced by %2")
                         .arg(languageText(note.language),
                              inputLine(sources_.language.value_or(index), now));
    }
    return tip;
}

QString TConversionReview::outputTip(std::size_t index, const InputLine& now,
                                     const std::function<std::string(int line)>& inputText,
                                     bool inputEdited) const {
    if (const int warned = warnedLineOfOutputMark(index); warned >= 0) {
        return warnings_.tip(static_cast<std::size_t>(warned));
    }
    if (index >= rewrites_.size()) {
        return {};
    }
    const Rewrite& rewrite = rewrites_[index];
    const int line = now(rewrite.inputMark);
    if (line < 0) {
        return QStringLiteral("%1\nIts input line has since been deleted.")
            .arg(ruleDeed(rewrite.rule));
    }
    return QStringLiteral("%1\nInput line %2 %3:\n%4")
        .arg(ruleDeed(rewrite.rule))
        .arg(line + 1)
        .arg(inputEdited ? QStringLiteral("now reads") : QStringLiteral("was"),
             TFieldText::toText(inputText(line)));
}
