#include "conversion/StreamingConversion.h"

namespace quillshift {

StreamingConversion::StreamingConversion(std::string_view bytes)
    : converter_(properties_), reader_(bytes) {
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
