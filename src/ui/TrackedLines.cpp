#include "ui/TrackedLines.h"

#include <algorithm>

void TrackedLines::reset(std::vector<int> lines) {
    lineOf_ = std::move(lines);
    byLine_.clear();
    byLine_.shrink_to_fit();
    byLine_.reserve(lineOf_.size());
    for (std::size_t item = 0; item < lineOf_.size(); ++item) {
        byLine_.emplace_back(lineOf_[item], static_cast<std::uint32_t>(item));
    }
    std::sort(byLine_.begin(), byLine_.end());
}

int TrackedLines::lineOf(std::size_t item) const {
    return item < lineOf_.size() ? lineOf_[item] : -1;
}

std::vector<std::size_t> TrackedLines::itemsOn(int line) const {
    std::vector<std::size_t> items;
    auto it =
        std::lower_bound(byLine_.begin(), byLine_.end(), std::make_pair(line, std::uint32_t{0}));
    for (; it != byLine_.end() && it->first == line; ++it) {
        items.push_back(it->second);
    }
    return items;
}

void TrackedLines::linesInserted(int line, int count, bool textMovedDown) {
    const int firstMoved = textMovedDown ? line : line + 1;
    for (auto& [at, item] : byLine_) {
        if (at >= firstMoved) {
            at += count;
            lineOf_[item] = at;
        }
    }
}

void TrackedLines::linesJoined(int first, int last, bool firstKeepsText, bool lastKeepsText) {
    const int removed = last - first;
    std::vector<std::pair<int, std::uint32_t>> kept;
    kept.reserve(byLine_.size());
    for (auto [at, item] : byLine_) {
        const bool gone = (at == first && !firstKeepsText) || (at > first && at < last) ||
                          (at == last && !lastKeepsText);
        if (gone) {
            lineOf_[item] = -1;
            continue;
        }
        if (at >= last) {
            at -= removed;
        }
        lineOf_[item] = at;
        kept.emplace_back(at, item);
    }
    // The joined line's items from its last part come after those of its first part.
    std::sort(kept.begin(), kept.end());
    byLine_ = std::move(kept);
}
