#include "ui/PaneConversion.h"

#include <string>
#include <string_view>

#include "conversion/LegacyConverter.h"
#include "ui/TConversionReview.h"
#include "ui/TScriptEditor.h"

std::shared_ptr<TConversionReview> convertPane(const TScriptEditor& input, TScriptEditor& output,
                                               quillshift::ScriptProperties& properties,
                                               quillshift::WarningCodeSet fixes) {
    auto review = std::make_shared<TConversionReview>();
    quillshift::LegacyConverter converter(properties);
    quillshift::ConversionNotes notes;
    converter.keepNotes(notes);
    converter.checkLines(fixes);
    // The notes of one line at a time: what they keep goes into the review.
    const auto reviewWarnings = [&](std::string_view converted) {
        const quillshift::LineRepair* repair =
            notes.repairs.empty() ? nullptr : &notes.repairs.back();
        review->addWarnings(notes.warnings, repair, converted);
        notes = {};
    };
    std::string scratch;
    // The rules add at most a few bytes to a line, or make it the version message.
    const std::size_t size = input.textLength();
    output.setLinesFrom(size + size / 32 + 4096, [&](const TScriptEditor::LineSink& add) {
        input.forEachLine([&](std::string_view line) {
            std::string_view converted;
            auto rule = quillshift::BodyRule::None;
            if (converter.convertLine(line, scratch, converted, &rule)) {
                review->addBodyLine(line, converted, rule);
                add(converted);
                reviewWarnings(converted);
            } else {
                review->addHeaderLine(line, notes.header.back());
                reviewWarnings({});
            }
        });
    });
    converter.endOfInput();
    reviewWarnings({});
    review->finish(properties);
    return review;
}

bool paneHasConvertedHeader(const TScriptEditor& pane) {
    // Only the header is read, line by line: the body may be long.
    quillshift::ScriptProperties scratch;
    quillshift::LegacyConverter converter(scratch);
    std::string converted;
    const std::size_t count = pane.lineCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (converter.convertLine(pane.line(i), converted)) {
            break;
        }
    }
    return converter.convertedMarkLine() != 0;
}
