#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// UTF-8, as the batch converter's terminal output, the window's text and the settings file use it.
namespace quillshift::utf8 {

/// How many bytes the character that starts with `lead` has: 1 to 4, or 0 when `lead` cannot
/// start a well-formed character (a continuation byte, 0xC0, 0xC1 or 0xF5 and above).
std::size_t sequenceLength(unsigned char lead);

/// One character read from UTF-8 text.
struct Character {
    char32_t code = 0;       ///< its code point
    std::size_t length = 0;  ///< its bytes in the text, 1 to 4
};

/// The character at `at` of `text` (`at` < text.size()). Returns nothing when the bytes there are
/// not a well-formed character: a sequence cut short, an overlong form, a surrogate, or a code
/// point above U+10FFFF.
std::optional<Character> decode(std::string_view text, std::size_t at);

/// Appends the UTF-8 form of `code` (at most U+10FFFF) to `out`.
void append(char32_t code, std::string& out);

}  // namespace quillshift::utf8
