#pragma once

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptProperties.h"
#include "ui/TConversionWarnings.h"
#include "ui/TLineMarks.h"
#include "ui/TPropertiesPage.h"

/// What a conversion did, put for the user to review it: a mark on each header line of the input
/// saying what became of it, and on the program line where the body starts; a mark on each output
/// line that a rule rewrote, with the line as it was; where each property came from; and a
/// summary of the run. It is told each line as the conversion goes, and keeps only what it shows;
/// the marks' tooltips are made only when asked for, so that a long script costs little more to
/// convert.
///
/// Texts that name input lines take the line's number now from `InputLine`, which maps an input
/// mark (by its place in the input's marks) to the line it stands on after the user's edits, or -1
/// once the line was deleted. Every rewritten input line has a mark without a letter for this.
class TConversionReview {
public:
    using InputLine = std::function<int(std::size_t inputMark)>;

    /// Header line `line` of the input (the next one) became what `note` says.
    void addHeaderLine(std::string_view line, const quillshift::HeaderLineNote& note);
    /// Body line `line` of the input (the next one) became `converted`, by `rule`.
    void addBodyLine(std::string_view line, std::string_view converted, quillshift::BodyRule rule);
    /// The warnings of the line added last (or, at the end, of the script), which the conversion
    /// repaired into `repair` if it has one; `converted` is what the rules made of the line.
    void addWarnings(const std::vector<quillshift::ConversionWarning>& warnings,
                     const quillshift::LineRepair* repair, std::string_view converted);
    /// Ends the review with the properties the conversion harvested.
    void finish(const quillshift::ScriptProperties& properties);

    /// The marks of the input and of the output, handed over once (the review keeps no copy):
    /// the review's own, then the warned lines'.
    TLineMarks::Marks takeInputMarks();
    TLineMarks::Marks takeOutputMarks();
    /// The warned line (in warnings()) that an input or output mark stands for, -1 for none; and
    /// the marks of a warned line.
    int warnedLineOfInputMark(std::size_t mark) const;
    int warnedLineOfOutputMark(std::size_t mark) const;
    std::size_t inputMarkOf(std::size_t warned) const;
    std::size_t outputMarkOf(std::size_t warned) const;
    /// The tooltips of the marks, by their place in the lists of marks.
    QString inputTip(std::size_t index, const InputLine& now) const;
    /// `inputText` gives input line n's text now; `inputEdited` says whether the input has been
    /// edited since the conversion (the rewritten line's text is not kept: the input has it).
    QString outputTip(std::size_t index, const InputLine& now,
                      const std::function<std::string(int line)>& inputText,
                      bool inputEdited) const;

    /// The conversion's warnings and the state of their fixes.
    TConversionWarnings& warnings() { return warnings_; }
    const TConversionWarnings& warnings() const { return warnings_; }

    /// Where each property came from: "from input line 9".
    TPropertiesPage::Origins origins(const InputLine& now) const;
    /// The run in a few lines; with a word on the panes edited since.
    QString summary(bool inputEdited, bool outputEdited) const;

    /// What each letter of the input's and the output's marks means.
    static TLineMarks::Legend inputLegend();
    static TLineMarks::Legend outputLegend();

    /// An input line as the conversion numbered it, at the same place still.
    static int unchanged(std::size_t inputMark);

private:
    // A body line that a rule changed. Lists that grow with the script are deques, which grow
    // without copying what they hold.
    struct Rewrite {
        std::uint32_t inputMark;
        quillshift::BodyRule rule;
    };
    // The header lines that gave each property; a later line replaces an earlier one.
    struct Sources {
        std::optional<std::size_t> authors;
        std::optional<std::size_t> site;
        std::optional<std::size_t> language;
        std::optional<std::size_t> title;
        std::vector<std::size_t> comments;
    };

    std::string boilerplatePhrase(std::size_t line) const;
    QString givenOrReplaced(const QString& name, std::size_t line, std::optional<std::size_t> kept,
                            const std::string& value, const InputLine& now) const;

    quillshift::ScriptProperties properties_;
    std::vector<quillshift::HeaderLineNote> header_;
    Sources sources_;
    std::vector<std::pair<std::size_t, std::string>> boilerplate_;  // line, its phrase's words
    std::deque<Rewrite> rewrites_;
    TLineMarks::Marks inputMarks_;
    TLineMarks::Marks outputMarks_;
    std::size_t bodyLines_ = 0;
    TConversionWarnings warnings_;
    std::size_t inputWarningsFrom_ = 0;
    std::size_t outputWarningsFrom_ = 0;
};
