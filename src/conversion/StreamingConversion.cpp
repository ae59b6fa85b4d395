#include "conversion/StreamingConversion.h"

namespace quillshift {

StreamingConversion::StreamingConversion(std::string_view bytes)
    : converter_(properties_, &joinedComments_), reader_(bytes) {
    // The joined comments are never longer than the text plus one blank. Reserving that at once
    // costs no memory that is not used (the pages are touched only as the comments fill them),
    // and saves the copies of a growing string, which for a header of millions of short lines
    // would hold about three times the comments at once.
    joinedComments_.reserve(bytes.size() + 1);
    while (!firstBodyLineWaiting_ && reader_.next(line_, lineScratch_)) {
        ++lineNumber_;
        firstBodyLineWaiting_ =
            converter_.convertLine(line_, convertedScratch_, converted_, &rule_);
    }
}

bool StreamingConversion::nextBodyLine(BodyLine& line) {
    if (firstBodyLineWaiting_) {
        firstBodyLineWaiting_ = false;
    } else if (converter_.inBody() && reader_.next(line_, lineScratch_)) {
        ++lineNumber_;
        converter_.convertLine(line_, convertedScratch_, converted_, &rule_);
    } else {
        return false;
    }
    line = {lineNumber_, line_, converted_, rule_};
    return true;
}

}  // namespace quillshift
