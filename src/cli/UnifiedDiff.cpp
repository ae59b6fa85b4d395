#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quillshift::cli {

namespace {

constexpr std::size_t kContext = 3;
// Beyond this many differing lines the search for the shortest edit stops, and what is left is
// shown as replaced: the memory and time of the search grow with the square of the differences.
constexpr int kMaxEditDistance = 2000;

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

enum class Edit : char { Keep, Delete, Insert };

// The shortest edit from a to b (Myers' greedy algorithm), or nothing when it is longer than
// kMaxEditDistance.
std::optional<std::vector<Edit>> shortestEdit(const std::vector<int>& a,
                                              const std::vector<int>& b) {
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    const int limit =
        static_cast<int>(std::min<long long>(static_cast<long long>(n) + m, kMaxEditDistance));
    std::vector<int> v(2 * static_cast<std::size_t>(limit) + 2, 0);
    const auto at = [&](int k) -> int& {
        return v[static_cast<std::size_t>(std::ptrdiff_t{k} + limit + 1)];
    };
    std::vector<std::vector<int>> trace;
    for (int d = 0; d <= limit; ++d) {
        trace.emplace_back(v.begin() + (limit + 1 - d), v.begin() + (limit + 2 + d));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            int y = x - k;
            while (x < n && y < m &&
                   a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x < n || y < m) {
                continue;
            }
            // Walk back through the trace to recover the edits.
            std::vector<Edit> edits;
            for (int back = d; back > 0; --back) {
                const std::vector<int>& previous = trace[static_cast<std::size_t>(back)];
                const auto before = [&](int kk) {
                    return previous[static_cast<std::size_t>(std::ptrdiff_t{kk} + back)];
                };
                const int kk = x - y;
                const bool down = kk == -back || (kk != back && before(kk - 1) < before(kk + 1));
                const int previousK = down ? kk + 1 : kk - 1;
                const int previousX = before(previousK);
                const int previousY = previousX - previousK;
                while (x > previousX && y > previousY) {
                    edits.push_back(Edit::Keep);
                    --x;
                    --y;
                }
                edits.push_back(down ? Edit::Insert : Edit::Delete);
                x = previousX;
                y = previousY;
            }
            while (x > 0 && y > 0) {
                edits.push_back(Edit::Keep);
                --x;
                --y;
            }
            std::reverse(edits.begin(), edits.end());
            return edits;
        }
    }
    return std::nullopt;
}

// The edits that turn the lines of a into those of b: the lines both begin and end with are kept,
// and the rest is the shortest edit, or all replaced when that is too long to find.
std::vector<Edit> editScript(const std::vector<std::string_view>& a,
                             const std::vector<std::string_view>& b) {
    // Lines become numbers, so that the search compares numbers, not text.
    std::unordered_map<std::string_view, int> ids;
    const auto numbered = [&](const std::vector<std::string_view>& lines, std::size_t from,
                              std::size_t to) {
        std::vector<int> numbers;
        numbers.reserve(to - from);
        for (std::size_t i = from; i < to; ++i) {
            numbers.push_back(ids.emplace(lines[i], static_cast<int>(ids.size())).first->second);
        }
        return numbers;
    };
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
        ++suffix;
    }
    std::vector<Edit> edits(prefix, Edit::Keep);
    const std::vector<int> middleA = numbered(a, prefix, a.size() - suffix);
    const std::vector<int> middleB = numbered(b, prefix, b.size() - suffix);
    if (auto middle = shortestEdit(middleA, middleB)) {
        edits.insert(edits.end(), middle->begin(), middle->end());
    } else {
        edits.insert(edits.end(), middleA.size(), Edit::Delete);
        edits.insert(edits.end(), middleB.size(), Edit::Insert);
    }
    edits.insert(edits.end(), suffix, Edit::Keep);
    return edits;
}

// The end of the hunk that starts its changes at `first`: kContext kept lines after the last
// change, joining changes that stand closer than twice the context.
std::size_t hunkEnd(const std::vector<Edit>& edits, std::size_t first) {
    std::size_t end = first;
    while (true) {
        while (end < edits.size() && edits[end] != Edit::Keep) {
            ++end;
        }
        std::size_t kept = end;
        while (kept < edits.size() && edits[kept] == Edit::Keep && kept - end <= 2 * kContext) {
            ++kept;
        }
        if (kept < edits.size() && edits[kept] != Edit::Keep && kept - end <= 2 * kContext) {
            end = kept;
            continue;
        }
        return std::min(end + kContext, edits.size());
    }
}

// "first,count" of a hunk head, with the first line counted from 1; a range of no lines names the
// line before it, and a count of one is left out.
std::string range(std::size_t first, std::size_t count) {
    std::string text = std::to_string(count == 0 ? first : first + 1);
    if (count != 1) {
        text.push_back(',');
        text.append(std::to_string(count));
    }
    return text;
}

struct Colors {
    explicit Colors(bool on)
        : deleted(on ? "\x1b[31m" : ""),
          added(on ? "\x1b[32m" : ""),
          hunk(on ? "\x1b[36m" : ""),
          head(on ? "\x1b[1m" : ""),
          reset(on ? "\x1b[0m" : "") {}
    const char* deleted;
    const char* added;
    const char* hunk;
    const char* head;
    const char* reset;
};

}  // namespace

std::string unifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeName, std::string_view afterName, bool color) {
    if (before == after) {
        return {};
    }
    const std::vector<std::string_view> a = splitLines(before);
    const std::vector<std::string_view> b = splitLines(after);
    const std::vector<Edit> edits = editScript(a, b);
    const Colors colors(color);

    std::string out;
    out.append(colors.head).append("--- ").append(beforeName).append(colors.reset).append("\n");
    out.append(colors.head).append("+++ ").append(afterName).append(colors.reset).append("\n");
    // Where each edit stands in a and in b.
    std::vector<std::size_t> inA(edits.size() + 1);
    std::vector<std::size_t> inB(edits.size() + 1);
    for (std::size_t i = 0; i < edits.size(); ++i) {
        inA[i + 1] = inA[i] + (edits[i] != Edit::Insert);
        inB[i + 1] = inB[i] + (edits[i] != Edit::Delete);
    }
    const auto writeLine = [&](char mark, std::string_view line, const char* on) {
        const bool ended = !line.empty() && line.back() == '\n';
        out.append(on).push_back(mark);
        out.append(ended ? line.substr(0, line.size() - 1) : line)
            .append(*on ? colors.reset : "")
            .append("\n");
        if (!ended) {
            out.append("\\ No newline at end of file\n");
        }
    };
    for (std::size_t i = 0; i < edits.size();) {
        while (i < edits.size() && edits[i] == Edit::Keep) {
            ++i;
        }
        if (i == edits.size()) {
            break;
        }
        const std::size_t start = i >= kContext ? i - kContext : 0;
        const std::size_t end = hunkEnd(edits, i);
        out.append(colors.hunk)
            .append("@@ -")
            .append(range(inA[start], inA[end] - inA[start]))
            .append(" +")
            .append(range(inB[start], inB[end] - inB[start]))
            .append(" @@")
            .append(colors.reset)
            .append("\n");
        for (std::size_t e = start; e < end; ++e) {
            if (edits[e] == Edit::Keep) {
                writeLine(' ', a[inA[e]], "");
            } else if (edits[e] == Edit::Delete) {
                writeLine('-', a[inA[e]], colors.deleted);
            } else {
                writeLine('+', b[inB[e]], colors.added);
            }
        }
        i = end;
    }
    return out;
}

}  // namespace quillshift::cli
