#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/ProcessEnvironment.h"
#include "base/TextOps.h"

namespace quillshift::cli {

namespace {

constexpr std::size_t kContext = 3;
// Beyond this many differing lines the search for the shortest edit stops, and what is left is
// shown as replaced: the memory and time of the search grow with the square of the differences.
constexpr int kMaxEditDistance = 2000;

enum class Edit : char { Keep, Delete, Insert };

// The shortest edit from a to b (Myers' greedy algorithm), or nothing when it is longer than
// kMaxEditDistance.
std::optional<std::vector<Edit>> shortestEdit(const std::vector<int>& a,
                                              const std::vector<int>& b) {
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    if (n == 0 && m == 0) {
        return std::vector<Edit>();  // nothing to edit; the search below needs a diagonal
    }
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

// A line of a diff: its parts, written one after the other; with `tabs`, each tab in the first
// two stands for four blanks. A line ends with its line feed, if it has one.
struct DiffLine {
    std::string_view parts[3] = {};
    bool tabs = false;
};

using EditVisitor = std::function<void(Edit, const DiffLine&)>;
// Hands each edit, in order, to the visitor; the same edits each time it is called.
using EditProducer = std::function<void(const EditVisitor&)>;

// The largest insertion text held back so that a change shows its deleted lines first.
constexpr std::size_t kHeldBack = 1 << 20;

// A name as GNU diff writes it in a head line.
std::string quotedForDiff(std::string_view name) {
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > ' ' && byte < 0x80 && c != '"' && c != '\\';
    });
    if (plain && !name.empty()) {
        return std::string(name);
    }
    std::string quoted = "\"";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\a':
                quoted += "\\a";
                break;
            case '\b':
                quoted += "\\b";
                break;
            case '\t':
                quoted += "\\t";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\v':
                quoted += "\\v";
                break;
            case '\f':
                quoted += "\\f";
                break;
            case '\r':
                quoted += "\\r";
                break;
            default:
                if (byte < ' ' || byte >= 0x80) {
                    char octal[5];
                    std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned>(byte));
                    quoted += octal;
                } else {
                    quoted.push_back(c);
                }
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::size_t shownSize(const DiffLine& line) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        size += line.parts[i].size();
        if (line.tabs && i < 2) {
            size += 3 * static_cast<std::size_t>(
                            std::count(line.parts[i].begin(), line.parts[i].end(), '\t'));
        }
    }
    return size;
}

void writeLine(char mark, const DiffLine& line, const char* on, const char* reset,
               const TextSink& out) {
    std::size_t last = 3;
    for (std::size_t i = 0; i < 3; ++i) {
        if (!line.parts[i].empty()) {
            last = i;
        }
    }
    const bool ended = last < 3 && line.parts[last].back() == '\n';
    out(on);
    out(std::string_view(&mark, 1));
    for (std::size_t i = 0; i < 3 && last < 3 && i <= last; ++i) {
        std::string_view part = line.parts[i];
        if (i == last && ended) {
            part.remove_suffix(1);
        }
        if (line.tabs && i < 2) {
            text::expandTabsInPieces(part, out);
        } else if (!part.empty()) {
            out(part);
        }
    }
    if (*on != '\0') {
        out(reset);
    }
    out("\n");
    if (!ended) {
        out("\\ No newline at end of file\n");
    }
}

struct HunkSize {
    std::uint32_t before = 0;
    std::uint32_t after = 0;
};

// The sizes of the hunks, each with kContext lines of context, joining changes that stand no
// more than twice the context apart.
std::vector<HunkSize> findHunks(const EditProducer& produce) {
    std::vector<HunkSize> hunks;
    bool inHunk = false;
    std::size_t keepsRun = 0;
    HunkSize current;
    produce([&](Edit edit, const DiffLine&) {
        if (edit == Edit::Keep) {
            ++keepsRun;
            if (inHunk) {
                ++current.before;
                ++current.after;
                if (keepsRun > 2 * kContext) {
                    const auto extra = static_cast<std::uint32_t>(keepsRun - kContext);
                    current.before -= extra;
                    current.after -= extra;
                    hunks.push_back(current);
                    inHunk = false;
                }
            }
            return;
        }
        if (!inHunk) {
            inHunk = true;
            const auto lead = static_cast<std::uint32_t>(std::min(keepsRun, kContext));
            current = {lead, lead};
        }
        keepsRun = 0;
        ++(edit == Edit::Delete ? current.before : current.after);
    });
    if (inHunk) {
        const auto extra = static_cast<std::uint32_t>(keepsRun - std::min(keepsRun, kContext));
        current.before -= extra;
        current.after -= extra;
        hunks.push_back(current);
    }
    return hunks;
}

// "--- NAME\tDATE" or "+++ NAME\tDATE".
void writeNameLine(const TextSink& out, const Colors& colors, std::string_view mark,
                   const std::string& name, const std::string& date) {
    out(colors.head);
    out(mark);
    out(quotedForDiff(name));
    out("\t");
    out(date);
    out(colors.reset);
    out("\n");
}

// A hunk's "@@ -A,B +C,D @@" line, from the 0-based line numbers where it starts, and the kept
// lines that lead into it.
void writeHunkStart(const TextSink& out, const Colors& colors, std::size_t before,
                    std::size_t after, const HunkSize& size,
                    const std::deque<std::string_view>& lead) {
    out(colors.hunk);
    out("@@ -" + range(before, size.before) + " +" + range(after, size.after) + " @@");
    out(colors.reset);
    out("\n");
    for (const std::string_view kept : lead) {
        DiffLine context;
        context.parts[0] = kept;
        writeLine(' ', context, "", colors.reset, out);
    }
}

void writeUnified(const EditProducer& produce, const DiffNames& names, bool color,
                  const TextSink& out) {
    const std::vector<HunkSize> hunks = findHunks(produce);
    if (hunks.empty()) {
        return;
    }
    const Colors colors(color);
    writeNameLine(out, colors, "--- ", names.before, names.beforeDate);
    writeNameLine(out, colors, "+++ ", names.after, names.afterDate);

    std::deque<std::string_view> recent;  // the last kept lines before a hunk
    std::size_t inBefore = 0;
    std::size_t inAfter = 0;
    std::size_t next = 0;
    bool inHunk = false;
    std::size_t leftBefore = 0;
    std::size_t leftAfter = 0;
    std::string heldBack;  // added lines held back until the change's deleted lines are out
    const TextSink hold = [&](std::string_view piece) { heldBack.append(piece); };
    const auto release = [&] {
        if (!heldBack.empty()) {
            out(heldBack);
            heldBack.clear();
        }
    };
    const auto endIfDone = [&] {
        if (leftBefore == 0 && leftAfter == 0) {
            release();
            inHunk = false;
        }
    };
    produce([&](Edit edit, const DiffLine& line) {
        if (edit == Edit::Keep) {
            if (inHunk) {
                release();
                writeLine(' ', line, "", colors.reset, out);
                --leftBefore;
                --leftAfter;
                endIfDone();
            } else {
                recent.push_back(line.parts[0]);
                if (recent.size() > kContext) {
                    recent.pop_front();
                }
            }
            ++inBefore;
            ++inAfter;
            return;
        }
        if (!inHunk && next < hunks.size()) {
            const std::size_t lead = recent.size();
            const HunkSize size = hunks[next++];
            writeHunkStart(out, colors, inBefore - lead, inAfter - lead, size, recent);
            recent.clear();
            leftBefore = size.before - lead;
            leftAfter = size.after - lead;
            inHunk = true;
        }
        if (edit == Edit::Delete) {
            writeLine('-', line, colors.deleted, colors.reset, out);
            --leftBefore;
            ++inBefore;
        } else {
            if (heldBack.size() + shownSize(line) > kHeldBack) {
                release();
            }
            const bool hugeLine = shownSize(line) > kHeldBack;
            writeLine('+', line, colors.added, colors.reset, hugeLine ? out : hold);
            --leftAfter;
            ++inAfter;
        }
        endIfDone();
    });
    release();
}

// The lines of `text`, each with its line feed.
std::vector<std::string_view> splitLines(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() <= limit) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

// Hands the edits of `edits` between the lines `a` and `b` to `visit`.
void visitEdits(const std::vector<Edit>& edits, const std::vector<std::string_view>& a,
                const std::vector<std::string_view>& b, const EditVisitor& visit) {
    std::size_t inA = 0;
    std::size_t inB = 0;
    for (const Edit edit : edits) {
        DiffLine line;
        line.parts[0] = edit == Edit::Insert ? b[inB] : a[inA];
        visit(edit, line);
        inA += edit != Edit::Insert ? 1U : 0U;
        inB += edit != Edit::Delete ? 1U : 0U;
    }
}

// Where the line that holds `at` ends, after its line feed (or at the end).
std::size_t lineEndFrom(std::string_view text, std::size_t at) {
    const std::size_t feed = text.find('\n', at);
    return feed == std::string_view::npos ? text.size() : feed + 1;
}

// Headers of at most this many lines and bytes are diffed line by line.
constexpr std::size_t kDiffedHeaderLines = 2000;
constexpr std::size_t kDiffedHeaderBytes = 1 << 20;

// The edits from a legacy script to its conversion. Old lines end at line feeds; a group of body
// lines that ends at one is kept when the conversion left it as it was, else replaced by what the
// conversion made of it. The header, with the body lines up to the first line feed after it, is
// diffed line by line where it is small, else replaced as a whole.
class ConversionEdits {
public:
    ConversionEdits(std::string_view legacy,
                    const std::function<std::unique_ptr<StreamingConversion>()>& convert)
        : legacy_(legacy), convert_(convert) {}

    void produce(const EditVisitor& visit) {
        counts_ = {};
        conversion_ = convert_();
        visit_ = &visit;
        more_ = conversion_->nextBodyLine(line_);
        produceHeader();
        while (more_) {
            const std::size_t start = offsetOf(line_);
            const std::size_t end = lineEndFrom(legacy_, start);
            DiffLine old;
            old.parts[0] = legacy_.substr(start, end - start);
            count();
            if (unchanged(end - start)) {
                visit(Edit::Keep, old);
                more_ = conversion_->nextBodyLine(line_);
                continue;
            }
            visit(Edit::Delete, old);
            insertBodyLinesBefore(end);
        }
        conversion_.reset();
    }

    const BodyCounts& counts() const { return counts_; }

private:
    std::size_t offsetOf(const StreamingConversion::BodyLine& line) const {
        return static_cast<std::size_t>(line.raw.data() - legacy_.data());
    }

    bool unchanged(std::size_t oldSize) const {
        return !line_.tabs && line_.raw.size() == oldSize &&
               line_.raw.size() == line_.after.size() + kLineEnd.size() &&
               line_.raw.starts_with(line_.after) && line_.raw.ends_with(kLineEnd);
    }

    void count() {
        ++counts_.lines;
        if (line_.rule != BodyRule::None && line_.after != line_.before) {
            ++counts_.rewritten;
            ++counts_.byRule[static_cast<std::size_t>(line_.rule)];
        }
    }

    DiffLine converted() const {
        DiffLine line;
        line.parts[0] = line_.after;
        line.parts[2] = kLineEnd;
        line.tabs = line_.tabs;
        return line;
    }

    // Inserts the converted body lines that start before `end`, counting them; the first is
    // counted already.
    void insertBodyLinesBefore(std::size_t end) {
        bool first = true;
        while (more_ && offsetOf(line_) < end) {
            if (!first) {
                count();
            }
            first = false;
            (*visit_)(Edit::Insert, converted());
            more_ = conversion_->nextBodyLine(line_);
        }
    }

    void produceHeader() {
        const std::size_t bodyStart = more_ ? offsetOf(line_) : legacy_.size();
        const std::size_t end = bodyStart == 0 || legacy_[bodyStart - 1] == '\n'
                                    ? bodyStart
                                    : lineEndFrom(legacy_, bodyStart - 1);
        const std::string_view header = legacy_.substr(0, end);
        std::vector<std::string_view> oldLines = splitLines(header, kDiffedHeaderLines);
        if (header.size() > kDiffedHeaderBytes || oldLines.size() > kDiffedHeaderLines) {
            produceLargeHeader(header, end);
            return;
        }
        std::vector<std::string> newLines;
        forEachHeaderLine(conversion_->properties(), conversion_->joinedComments(),
                          [&](std::string_view key, std::string_view value) {
                              newLines.push_back(std::string(key).append(value).append(kLineEnd));
                          });
        while (more_ && offsetOf(line_) < end) {
            count();
            newLines.push_back(text::expandTabs(line_.after).append(kLineEnd));
            more_ = conversion_->nextBodyLine(line_);
        }
        const std::vector<std::string_view> newViews(newLines.begin(), newLines.end());
        visitEdits(editScript(oldLines, newViews), oldLines, newViews, *visit_);
    }

    void produceLargeHeader(std::string_view header, std::size_t end) {
        for (std::size_t start = 0; start < header.size();) {
            const std::size_t next = lineEndFrom(header, start);
            DiffLine old;
            old.parts[0] = header.substr(start, next - start);
            (*visit_)(Edit::Delete, old);
            start = next;
        }
        forEachHeaderLine(conversion_->properties(), conversion_->joinedComments(),
                          [&](std::string_view key, std::string_view value) {
                              DiffLine line;
                              line.parts[0] = key;
                              line.parts[1] = value;
                              line.parts[2] = kLineEnd;
                              (*visit_)(Edit::Insert, line);
                          });
        if (more_ && offsetOf(line_) < end) {
            count();
            insertBodyLinesBefore(end);
        }
    }

    std::string_view legacy_;
    const std::function<std::unique_ptr<StreamingConversion>()>& convert_;
    std::unique_ptr<StreamingConversion> conversion_;
    StreamingConversion::BodyLine line_{};
    bool more_ = false;
    const EditVisitor* visit_ = nullptr;
    BodyCounts counts_;
};

}  // namespace

std::string diffDate(long long seconds, long nanoseconds) {
    const process::LocalTime local = process::localTime(seconds);
    const std::tm& t = local.fields;
    const long offsetMinutes = (local.utcOffset < 0 ? -local.utcOffset : local.utcOffset) / 60;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%09ld %c%02ld%02ld",
                  t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  nanoseconds, local.utcOffset < 0 ? '-' : '+', offsetMinutes / 60,
                  offsetMinutes % 60);
    return text;
}

std::string unifiedDiff(std::string_view before, std::string_view after, const DiffNames& names,
                        bool color) {
    if (before == after) {
        return {};
    }
    const std::vector<std::string_view> a = splitLines(before, std::string_view::npos);
    const std::vector<std::string_view> b = splitLines(after, std::string_view::npos);
    const std::vector<Edit> edits = editScript(a, b);
    std::string out;
    writeUnified([&](const EditVisitor& visit) { visitEdits(edits, a, b, visit); }, names, color,
                 [&](std::string_view piece) { out.append(piece); });
    return out;
}

BodyCounts writeConversionDiff(std::string_view legacy,
                               const std::function<std::unique_ptr<StreamingConversion>()>& convert,
                               const DiffNames& names, bool color, const TextSink& out) {
    ConversionEdits edits(legacy, convert);
    // The counts are those of the last pass, whether or not there were hunks to write.
    writeUnified([&](const EditVisitor& visit) { edits.produce(visit); }, names, color, out);
    return edits.counts();
}

}  // namespace quillshift::cli
