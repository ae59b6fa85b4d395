#include "cli/WarningList.h"

#include <algorithm>

namespace quillshift::cli {

void WarningList::add(const ConversionWarning& warning) {
    // Messages are compared by where they are kept: each is one static text.
    auto message = std::find_if(messages_.begin(), messages_.end(), [&](std::string_view m) {
        return m.data() == warning.message.data() && m.size() == warning.message.size();
    });
    if (message == messages_.end()) {
        message = messages_.insert(messages_.end(), warning.message);
    }
    packed_.push_back({static_cast<std::uint32_t>(warning.line),
                       static_cast<std::uint32_t>(warning.column), warning.code,
                       static_cast<std::uint8_t>(message - messages_.begin()), warning.repairable,
                       warning.fixed});
}

ConversionWarning WarningList::operator[](std::size_t index) const {
    const Packed& p = packed_[index];
    return {p.line, p.column, p.code, messages_[p.message], p.repairable, p.fixed};
}

}  // namespace quillshift::cli
