#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "conversion/ConversionWarning.h"

namespace quillshift::cli {

/// The warnings of one input, kept in 12 bytes each (a quarter of a ConversionWarning), so that a
/// script warned about on every line still costs little memory while its report waits for the
/// end of its conversion. Messages must be static text, as the checks give them (a few dozen
/// distinct ones at most).
class WarningList {
public:
    void add(const ConversionWarning& warning);

    std::size_t size() const { return packed_.size(); }
    bool empty() const { return packed_.empty(); }

    /// The warning added `index`-th (0-based).
    ConversionWarning operator[](std::size_t index) const;

private:
    struct Packed {
        std::uint32_t line;  // lines and columns of a script of at most 1 GiB fit
        std::uint32_t column;
        WarningCode code;
        std::uint8_t message;  // index into messages_
        bool repairable;
        bool fixed;
    };
    std::vector<Packed> packed_;
    std::vector<std::string_view> messages_;  // the few distinct messages
};

}  // namespace quillshift::cli
