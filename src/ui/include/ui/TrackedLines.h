#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

/// Where numbered items that stand on lines of a text (marks, say) are now, as the text is edited:
/// an item follows its line when lines are inserted or removed before it, and goes with its line
/// when that line is deleted. Lines are 0-based. An item's number is its place in the list given
/// to reset(); it keeps it.
class TrackedLines {
public:
    /// Starts over: item i stands on lines[i].
    void reset(std::vector<int> lines);

    std::size_t size() const { return lineOf_.size(); }

    /// The line item `item` stands on now; -1 once its line was deleted (or for an unknown item).
    int lineOf(std::size_t item) const;

    /// The items on `line`, in ascending order.
    std::vector<std::size_t> itemsOn(int line) const;

    /// The nearest line after `line` (forward) or before it that holds an item accepted by
    /// `wanted`, wrapping round the text's end; -1 when none does.
    template <typename Accept>
    int nextLine(int line, bool forward, Accept wanted) const;

    /// `count` new lines were made at `line` by splitting it. When the part of the line before
    /// the split held no text but blanks, the line's own text moved down with its items
    /// (`textMovedDown`); otherwise its items stay and only the lines after it move down.
    void linesInserted(int line, int count, bool textMovedDown);

    /// Lines `first` to `last` (first < last) were joined into one line, `first`: the lines
    /// between them were deleted; the first and the last keep their items when text of theirs
    /// (more than blanks) stays on the joined line.
    void linesJoined(int first, int last, bool firstKeepsText, bool lastKeepsText);

private:
    std::vector<int> lineOf_;                            // by item
    std::vector<std::pair<int, std::uint32_t>> byLine_;  // (line, item), sorted
};

template <typename Accept>
int TrackedLines::nextLine(int line, bool forward, Accept wanted) const {
    // The first wanted line past `line` in the direction given, else the first from the far end.
    const auto find = [&](auto begin, auto end) {
        const auto past = std::find_if(begin, end, [&](const auto& entry) {
            return (forward ? entry.first > line : entry.first < line) && wanted(entry.second);
        });
        if (past != end) {
            return past->first;
        }
        const auto any =
            std::find_if(begin, end, [&](const auto& entry) { return wanted(entry.second); });
        return any != end ? any->first : -1;
    };
    return forward ? find(byLine_.begin(), byLine_.end()) : find(byLine_.rbegin(), byLine_.rend());
}
