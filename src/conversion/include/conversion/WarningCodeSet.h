#pragma once

#include <bitset>

#include "conversion/ConversionWarning.h"

namespace quillshift {

/// A set of warning codes, such as the codes whose repairs a conversion applies.
class WarningCodeSet {
public:
    WarningCodeSet() = default;
    WarningCodeSet(std::initializer_list<WarningCode> codes) {
        for (const WarningCode code : codes) {
            insert(code);
        }
    }

    /// Every code.
    static WarningCodeSet all() {
        WarningCodeSet set;
        set.bits_.set();
        return set;
    }

    void insert(WarningCode code) { bits_.set(static_cast<std::size_t>(code)); }
    void insert(const WarningCodeSet& other) { bits_ |= other.bits_; }
    bool contains(WarningCode code) const { return bits_.test(static_cast<std::size_t>(code)); }
    /// True when every code of `other` is in this set (so for an empty `other` too).
    bool containsAll(const WarningCodeSet& other) const { return (other.bits_ & ~bits_).none(); }
    bool empty() const { return bits_.none(); }

    bool operator==(const WarningCodeSet&) const = default;

private:
    std::bitset<kWarningCodeCount> bits_;
};

}  // namespace quillshift
