#pragma once

#include <optional>
#include <string>
#include <string_view>

// Scripts are Windows-1252 text. These map their bytes to Unicode and back so that every byte
// survives the round trip: the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the control characters U+0081, U+008D, U+008F, U+0090 and U+009D.
namespace quillshift::windows1252 {

/// The Unicode character of `byte`.
char32_t toUnicode(unsigned char byte);

/// The byte of `character`, or nothing when Windows-1252 cannot hold it.
std::optional<unsigned char> fromUnicode(char32_t character);

/// `bytes` as UTF-8 text.
std::string toUtf8(std::string_view bytes);

/// `utf8` as Windows-1252 bytes. Returns nothing when `utf8` is not valid UTF-8 or holds a
/// character Windows-1252 cannot hold; `problem` (when given) then receives a short description
/// for the user, e.g. `the character "✓" (U+2713) has no Windows-1252 form`.
std::optional<std::string> fromUtf8(std::string_view utf8, std::string* problem = nullptr);

}  // namespace quillshift::windows1252
