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
    const int limit = std::min(n + m, kMaxEditDistance);
    std::vector<int> v(static_cast<std::size_t>(2 * limit + 2), 0);
    const auto at = [&](int k) -> int& { return v[static_cast<std::size_t>(k + limit + 1)]; };
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
                    return previous[static_cast<std::size_t>(kk + back)];
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

}  // namespace

std::string unifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeName, std::string_view afterName, bool color) {
    if (before == after) {
        return {};
    }
    const std::vector<std::string_view> a = splitLines(before);
    const std::vector<std::string_view> b = splitLines(after);

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

    const char* red = color ? "\x1b[31m" : "";
    const char* green = color ? "\x1b[32m" : "";
    const char* cyan = color ? "\x1b[36m" : "";
    const char* bold = color ? "\x1b[1m" : "";
    const char* reset = color ? "\x1b[0m" : "";
    std::string out;
    out.append(bold).append("--- ").append(beforeName).append(reset).append("\n");
    out.append(bold).append("+++ ").append(afterName).append(reset).append("\n");

    // Positions of each edit in a and b.
    std::vector<std::size_t> posA(edits.size() + 1), posB(edits.size() + 1);
    for (std::size_t i = 0; i < edits.size(); ++i) {
        posA[i + 1] = posA[i] + (edits[i] != Edit::Insert);
        posB[i + 1] = posB[i] + (edits[i] != Edit::Delete);
    }
    const auto writeLine = [&](char mark, std::string_view line, const char* on) {
        const bool ended = !line.empty() && line.back() == '\n';
        const std::string_view text = ended ? line.substr(0, line.size() - 1) : line;
        out.append(on).push_back(mark);
        out.append(text).append(*on ? reset : "").append("\n");
        if (!ended) {
            out.append("\\ No newline at end of file\n");
        }
    };
    std::size_t i = 0;
    while (i < edits.size()) {
        while (i < edits.size() && edits[i] == Edit::Keep) {
            ++i;
        }
        if (i == edits.size()) {
            break;
        }
        // A hunk: from kContext kept lines before the first change to kContext after the last,
        // joining changes that stand closer than twice the context.
        const std::size_t start = i >= kContext ? i - kContext : 0;
        std::size_t end = i;
        while (true) {
            while (end < edits.size() && edits[end] != Edit::Keep) {
                ++end;
            }
            std::size_t kept = end;
            while (kept < edits.size() && edits[kept] == Edit::Keep &&
                   kept - end < 2 * kContext + 1) {
                ++kept;
            }
            if (kept < edits.size() && edits[kept] != Edit::Keep && kept - end <= 2 * kContext) {
                end = kept;
                continue;
            }
            end = std::min(end + kContext, edits.size());
            break;
        }
        const std::size_t countA = posA[end] - posA[start];
        const std::size_t countB = posB[end] - posB[start];
        const auto range = [](std::size_t first, std::size_t count) {
            // A range of no lines names the line before it.
            std::string text = std::to_string(count == 0 ? first : first + 1);
            if (count != 1) {
                text.push_back(',');
                text.append(std::to_string(count));
            }
            return text;
        };
        out.append(cyan)
            .append("@@ -")
            .append(range(posA[start], countA))
            .append(" +")
            .append(range(posB[start], countB))
            .append(" @@")
            .append(reset)
            .append("\n");
        for (std::size_t e = start; e < end; ++e) {
            switch (edits[e]) {
                case Edit::Keep:
                    writeLine(' ', a[posA[e]], "");
                    break;
                case Edit::Delete:
                    writeLine('-', a[posA[e]], red);
                    break;
                case Edit::Insert:
                    writeLine('+', b[posB[e]], green);
                    break;
            }
        }
        i = end;
    }
    return out;
}

}  // namespace quillshift::cli
