#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptProperties.h"
#include "ui/TLineMarks.h"
#include "ui/TPropertiesPage.h"

/// What a conversion did, put for the user to review it: a mark on each header line of the input
/// saying what became of it, and on the program line where the body starts; a mark on each output
/// line that a rule rewrote, with the line as it was; where each property came from; and a
/// summary of the run. The marks' tooltips are made only when asked for, so that a long script
/// costs little more to convert.
///
/// Texts that name input lines take the line's number now from `InputLine`, which maps an input
/// mark (by its place in inputMarks()) to the line it stands on after the user's edits, or -1 once
/// the line was deleted. Every rewritten input line has a mark without a letter for this.
class TConversionReview {
public:
    using InputLine = std::function<int(std::size_t inputMark)>;

    /// The review of converting `input` into `output` and `properties`, as `notes` recorded it.
    TConversionReview(const std::vector<std::string>& input, const std::vector<std::string>& output,
                      const quillshift::ScriptProperties& properties,
                      quillshift::ConversionNotes notes);

    const std::vector<TLineMarks::Mark>& inputMarks() const { return inputMarks_; }
    const std::vector<TLineMarks::Mark>& outputMarks() const { return outputMarks_; }
    /// The tooltips of the marks, by their place in inputMarks() and outputMarks().
    QString inputTip(std::size_t index, const InputLine& now) const;
    QString outputTip(std::size_t index, const InputLine& now) const;

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
    // A body line that a rule changed.
    struct Rewrite {
        quillshift::BodyRule rule;
        std::size_t inputLine;
        std::size_t inputMark;
        std::string before;
    };
    // The header lines that gave each property; a later line replaces an earlier one.
    struct Sources {
        std::optional<std::size_t> authors;
        std::optional<std::size_t> site;
        std::optional<std::size_t> language;
        std::optional<std::size_t> title;
        std::vector<std::size_t> comments;
    };

    void findSources(const std::vector<std::string>& input);
    void markInput(std::size_t inputLines);
    void markOutput(const std::vector<std::string>& input, const std::vector<std::string>& output);
    QString givenOrReplaced(const QString& name, std::size_t line, std::optional<std::size_t> kept,
                            const std::string& value, const InputLine& now) const;

    quillshift::ScriptProperties properties_;
    quillshift::ConversionNotes notes_;
    Sources sources_;
    std::vector<std::string> boilerplate_;  // by header line: the whole words of its phrase
    std::vector<Rewrite> rewrites_;
    std::vector<TLineMarks::Mark> inputMarks_;
    std::vector<TLineMarks::Mark> outputMarks_;
    std::size_t bodyLines_ = 0;
};
