#pragma once

#include <QString>

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
class TConversionReview {
public:
    /// The review of converting `input` into `output` and `properties`, as `notes` recorded it.
    TConversionReview(const std::vector<std::string>& input, const std::vector<std::string>& output,
                      const quillshift::ScriptProperties& properties,
                      quillshift::ConversionNotes notes);

    const std::vector<TLineMarks::Mark>& inputMarks() const { return inputMarks_; }
    const std::vector<TLineMarks::Mark>& outputMarks() const { return outputMarks_; }
    /// The tooltips of the marks, by their place in inputMarks() and outputMarks().
    QString inputTip(std::size_t index) const;
    QString outputTip(std::size_t index) const;

    const TPropertiesPage::Origins& origins() const { return origins_; }
    const QString& summary() const { return summary_; }

    /// A line number as the line-number gutter shows it: "0009".
    static QString lineNumber(std::size_t index);

private:
    // A body line that a rule changed.
    struct Rewrite {
        quillshift::BodyRule rule;
        std::size_t inputLine;
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

    void findSources();
    void markInput(std::size_t inputLines);
    void markOutput(const std::vector<std::string>& input, const std::vector<std::string>& output);
    void describe(std::size_t bodyLines);
    QString givenOrReplaced(const QString& name, std::size_t line, std::optional<std::size_t> kept,
                            const std::string& value) const;

    quillshift::ScriptProperties properties_;
    quillshift::ConversionNotes notes_;
    Sources sources_;
    std::vector<Rewrite> rewrites_;
    std::vector<TLineMarks::Mark> inputMarks_;
    std::vector<TLineMarks::Mark> outputMarks_;
    TPropertiesPage::Origins origins_;
    QString summary_;
};
