#include "conversion/StreamingConversion.h"

#include <utility>

#include "base/TextOps.h"

namespace quillshift {

namespace {

// The 1-based column in `raw` of the 1-based `column` of the line as loaded, where each tab of
// `raw` became four blanks; 0 stays 0.
std::size_t rawColumn(std::string_view raw, std::size_t column) {
    if (column == 0) {
        return 0;
    }
    std::size_t loaded = 0;  // 0-based column of raw[i] in the loaded line
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::size_t width = raw[i] == '\t' ? 4 : 1;
        if (column - 1 < loaded + width) {
            return i + 1;
        }
        loaded += width;
    }
    return raw.size() + (column - loaded);
}

}  // namespace

StreamingConversion::StreamingConversion(std::string_view bytes)
    : StreamingConversion(bytes, Checks{}) {}

StreamingConversion::StreamingConversion(std::string_view bytes, Checks checks)
    : converter_(properties_, &joinedComments_),
      reader_(bytes),
      checked_(checks.enabled),
      onWarning_(std::move(checks.onWarning)) {
    // The joined comments are never longer than the text plus one blank. Reserving that at once
    // costs no memory that is not used (the pages are touched only as the comments fill them),
    // and saves the copies of a growing string, which for a header of millions of short lines
    // would hold about three times the comments at once.
    joinedComments_.reserve(bytes.size() + 1);
    if (checked_) {
        converter_.checkLines(checks.fixes);
        reader_.watchCommentOpeners();
    }
    while (!firstBodyLineWaiting_ && readLine()) {
        ++lineNumber_;
        firstBodyLineWaiting_ = converter_.convertLine(line_, convertedScratch_, converted_, &rule_,
                                                       reader_.mayOpenComment());
        keepWarnings();
    }
    if (checked_ && !firstBodyLineWaiting_) {
        converter_.endOfInput();
        keepWarnings();
    }
}

void StreamingConversion::copyLineWarnings() {
    // Body lines are checked with their tabs, so that their columns are the file's already; a
    // header line was checked expanded.
    const bool expanded = line_.data() == lineScratch_.data();
    std::string_view raw = raw_;
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) {
        raw.remove_suffix(1);
    }
    for (ConversionWarning warning : converter_.lineWarnings()) {
        if (expanded && warning.code != WarningCode::NoProgramLine) {
            warning.column = rawColumn(raw, warning.column);
        }
        warnings_.push_back(warning);
        if (handedOver_) {
            onWarning_(warning);
        }
    }
}

void StreamingConversion::handOverHeldWarnings() {
    for (const ConversionWarning& warning : warnings_) {
        onWarning_(warning);
    }
    // What stays is the first body line's, read with the header, if there is one.
    warnings_.erase(warnings_.begin(),
                    firstBodyLineWaiting_
                        ? warnings_.begin() + static_cast<std::ptrdiff_t>(lineWarningsBegin_)
                        : warnings_.end());
    lineWarningsBegin_ = 0;
    handedOver_ = true;
}

// Header lines are expanded for harvesting; body lines, from the program line on, keep their tabs.
bool StreamingConversion::readLine() {
    std::string_view unexpanded;
    if (!reader_.nextRaw(unexpanded, raw_)) {
        return false;
    }
    line_ = unexpanded;
    tabs_ = unexpanded.find('\t') != std::string_view::npos;
    if (tabs_ && !converter_.inBody() && !LegacyConverter::isProgramLine(unexpanded)) {
        text::expandTabsInto(unexpanded, lineScratch_);
        line_ = lineScratch_;
    }
    return true;
}

bool StreamingConversion::nextBodyLine(BodyLine& line) {
    if (onWarning_ && !handedOver_) {
        handOverHeldWarnings();
    }
    if (firstBodyLineWaiting_) {
        firstBodyLineWaiting_ = false;
    } else if (converter_.inBody() && readLine()) {
        ++lineNumber_;
        converter_.convertLine(line_, convertedScratch_, converted_, &rule_,
                               reader_.mayOpenComment());
        keepWarnings();
    } else {
        return false;
    }
    const std::span<const ConversionWarning> lineWarnings(warnings_.data() + lineWarningsBegin_,
                                                          warnings_.size() - lineWarningsBegin_);
    line = {lineNumber_, line_, converted_, rule_, raw_, tabs_, lineWarnings};
    return true;
}

}  // namespace quillshift
