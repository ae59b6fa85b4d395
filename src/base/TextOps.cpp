#include "base/TextOps.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace quillshift::text {

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
        if (upperAscii(a[i]) != upperAscii(b[i])) {
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
    char* dst =
        std::fill_n(out.data(), static_cast<std::size_t>(afterIndent - begin) * kWidth, ' ');
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

void expandTabsInPieces(std::string_view line, const std::function<void(std::string_view)>& piece) {
    // Each run between tabs is handed over as it stands and each tab as its four blanks: nothing
    // is copied, and no memory is taken for a line, however many tabs it has.
    std::size_t from = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', from)) {
        if (tab > from) {
            piece(line.substr(from, tab - from));
        }
        piece(kTabReplacement);
        from = tab + 1;
    }
    if (from < line.size() || line.empty()) {
        piece(line.substr(from));
    }
}

std::string expandTabs(std::string_view line) {
    std::string out;
    expandTabsInto(line, out);
    return out;
}

bool startsWithIgnoringAsciiCase(std::string_view s, std::string_view upperPrefix) {
    return s.size() >= upperPrefix.size() &&
           equalsIgnoringAsciiCase(s.substr(0, upperPrefix.size()), upperPrefix);
}

bool matchesIgnoringAsciiCase(std::string_view text, std::size_t at, std::string_view upperWord) {
    return at <= text.size() && text.size() - at >= upperWord.size() &&
           std::equal(upperWord.begin(), upperWord.end(), text.begin() + std::ptrdiff_t(at),
                      [](char word, char c) { return upperAscii(c) == word; });
}

std::size_t findIgnoringAsciiCase(std::string_view text, std::string_view upperWord) {
    const auto matchesAt = [&](std::size_t at) {
        return matchesIgnoringAsciiCase(text, at, upperWord);
    };
    // A byte of the word that has no letter case ("(" of "(EN)", ":" of "HTTP://") is looked
    // for with memchr, and only its hits are compared.
    std::size_t anchor = 0;
    while (anchor < upperWord.size() && upperWord[anchor] >= 'A' && upperWord[anchor] <= 'Z') {
        ++anchor;
    }
    if (anchor == upperWord.size()) {
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (matchesAt(at)) {
                return at;
            }
        }
        return std::string_view::npos;
    }
    for (std::size_t from = anchor; from < text.size();) {
        const void* hit = std::memchr(text.data() + from, upperWord[anchor], text.size() - from);
        if (hit == nullptr) {
            break;
        }
        const auto found = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (matchesAt(found - anchor)) {
            return found - anchor;
        }
        from = found + 1;
    }
    return std::string_view::npos;
}

}  // namespace quillshift::text
