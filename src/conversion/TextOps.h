#pragma once

#include <string>
#include <string_view>

// Text operations on 8-bit script text. Bytes above 127 are never changed or interpreted.
namespace quillshift::text {

/// Returns `s` with the ASCII letters a to z upper-cased; every other byte is kept.
std::string upperAscii(std::string_view s);

/// Writes `s` upper-cased like upperAscii into `out`, reusing out's storage.
void upperAsciiInto(std::string_view s, std::string& out);

/// Returns the part of `s` left after removing every byte with a code up to 32 from both ends.
std::string_view trimView(std::string_view s);

/// Owning variant of trimView.
inline std::string trim(std::string_view s) {
    return std::string(trimView(s));
}

/// True when `needle` occurs in `haystack` (case-sensitive).
inline bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

/// True when `a` and `b` are equal ignoring the letter case of a to z.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

/// What a tab becomes in a script: four blanks, whatever its column.
inline constexpr std::string_view kTabReplacement = "    ";

/// Returns `line` with every tab replaced by four blanks, whatever its column.
std::string expandTabs(std::string_view line);

/// Writes expandTabs(line) into `out`, reusing out's storage. `line` must not view `out`.
void expandTabsInto(std::string_view line, std::string& out);

}  // namespace quillshift::text
