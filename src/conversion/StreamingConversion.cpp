#include "conversion/StreamingConversion.h"

#include "base/TextOps.h"

namespace quillshift {

StreamingConversion::StreamingConversion(std::string_view bytes)
    : converter_(properties_, &joinedComments_), reader_(bytes) {
    // The joined comments are never longer than the text plus one blank. Reserving that at once
    // costs no memory that is not used (the pages are touched only as the comments fill them),
    // and saves the copies of a growing string, which for a header of millions of short lines
    // would hold about three times the comments at once.
    joinedComments_.reserve(bytes.size() + 1);
    while (!firstBodyLineWaiting_ && readLine()) {
        ++lineNumber_;
        firstBodyLineWaiting_ =
            converter_.convertLine(line_, convertedScratch_, converted_, &rule_);
    }
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
    if (firstBodyLineWaiting_) {
        firstBodyLineWaiting_ = false;
    } else if (converter_.inBody() && readLine()) {
        ++lineNumber_;
        converter_.convertLine(line_, convertedScratch_, converted_, &rule_);
    } else {
        return false;
    }
    line = {lineNumber_, line_, converted_, rule_, raw_, tabs_};
    return true;
}

}  // namespace quillshift
