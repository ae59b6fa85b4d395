#include "conversion/TextOps.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace quillshift::text {

namespace {

inline unsigned char upper(unsigned char c) {
    return static_cast<unsigned char>(c - ((c >= 'a' && c <= 'z') ? 32 : 0));
}
}  // namespace

void upperAsciiInto(std::string_view s, std::string& out) {
    out.resize(s.size());
    const auto* src = reinterpret_cast<const unsigned char*>(s.data());
    auto* dst = reinterpret_cast<unsigned char*>(out.data());
    for (std::size_t i = 0; i < s.size(); ++i) {
        dst[i] = upper(src[i]);
    }
}

std::string upperAscii(std::string_view s) {
    std::string out;
    upperAsciiInto(s, out);
    return out;
}

std::string_view trimView(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) {
        --end;
    }
    return s.substr(begin, end - begin);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(static_cast<unsigned char>(a[i])) != upper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

void expandTabsInto(std::string_view line, std::string& out) {
    constexpr std::size_t kWidth = kTabReplacement.size();
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    auto nextTab = [end](const char* from) {
        const void* hit = std::memchr(from, '\t', static_cast<std::size_t>(end - from));
        return hit ? static_cast<const char*>(hit) : end;
    };
    // Indentation by tabs is the common case: count those directly.
    const char* afterIndent = begin;
    while (afterIndent != end && *afterIndent == '\t') {
        ++afterIndent;
    }
    std::size_t tabs = static_cast<std::size_t>(afterIndent - begin);
    for (const char* tab = nextTab(afterIndent); tab != end; tab = nextTab(tab + 1)) {
        ++tabs;
    }
    out.resize(line.size() + tabs * (kWidth - 1));
    char* dst = std::fill_n(out.data(), (afterIndent - begin) * kWidth, ' ');
    for (const char* from = afterIndent;;) {
        const char* tab = nextTab(from);
        dst = std::copy(from, tab, dst);
        if (tab == end) {
            return;
        }
        dst = std::copy(kTabReplacement.begin(), kTabReplacement.end(), dst);
        from = tab + 1;
    }
}

std::string expandTabs(std::string_view line) {
    std::string out;
    expandTabsInto(line, out);
    return out;
}

}  // namespace quillshift::text
