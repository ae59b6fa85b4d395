#pragma once

#include <functional>
#include <string>
#include <string_view>

// Text operations on 8-bit script text. Bytes above 127 are never changed or interpreted.
namespace quillshift::text {

/// `c` upper-cased if it is one of the ASCII letters a to z; every other byte is kept.
constexpr char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

/// `c` lower-cased if it is one of the ASCII letters A to Z; every other byte is kept.
constexpr char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

/// Returns the part of `s` left after removing every byte with a code up to 32 from both ends.
std::string_view trimView(std::string_view s);

/// True when `needle` occurs in `haystack` (case-sensitive).
inline bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

/// True when `a` and `b` are equal ignoring the letter case of a to z.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// True when `s` begins with `upperPrefix` (upper-case letters, blanks and signs) ignoring the
/// letter case of s.
bool startsWithIgnoringAsciiCase(std::string_view s, std::string_view upperPrefix);

/// True when `text` holds `upperWord` (upper-case letters, blanks and signs) at `at`, ignoring the
/// letter case of text.
bool matchesIgnoringAsciiCase(std::string_view text, std::size_t at, std::string_view upperWord);

/// Position of the first occurrence of `upperWord` (upper-case letters, blanks and signs) in the
/// upper-cased `text`, or npos. Copies nothing.
std::size_t findIgnoringAsciiCase(std::string_view text, std::string_view upperWord);

/// What a tab becomes in a script: four blanks, whatever its column.
inline constexpr std::string_view kTabReplacement = "    ";

/// Returns `line` with every tab replaced by four blanks, whatever its column.
std::string expandTabs(std::string_view line);

/// Writes expandTabs(line) into `out`, reusing out's storage. `line` must not view `out`.
void expandTabsInto(std::string_view line, std::string& out);

/// Hands expandTabs(line) to `piece` in pieces (the runs between tabs, and four blanks for each
/// tab), so that a line of many tabs is never held expanded.
void expandTabsInPieces(std::string_view line, const std::function<void(std::string_view)>& piece);

}  // namespace quillshift::text
