#include "conversion/TextOps.h"

#include <cstring>

namespace quillshift::text {

namespace {
constexpr char kTabReplacement[] = "    ";

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

std::string expandTabs(std::string_view line) {
    std::string out;
    std::size_t tabs = 0;
    for (char c : line) {
        tabs += (c == '\t');
    }
    out.reserve(line.size() + tabs * 3);
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            out.append(line.substr(start));
            return out;
        }
        out.append(line.substr(start, tab - start));
        out.append(kTabReplacement, std::strlen(kTabReplacement));
        start = tab + 1;
    }
}

}  // namespace quillshift::text
