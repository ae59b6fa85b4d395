#include "conversion/Windows1252.h"

#include <array>
#include <cstdio>

#include "base/Utf8.h"

namespace quillshift::windows1252 {

namespace {

// Unicode characters of the bytes 0x80 to 0x9F; the rest of the bytes are their own code points.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

}  // namespace

char32_t toUnicode(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : byte;
}

std::optional<unsigned char> fromUnicode(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<unsigned char>(character);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == character) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        utf8::append(toUnicode(static_cast<unsigned char>(b)), out);
    }
    return out;
}

std::optional<std::string> fromUtf8(std::string_view utf8, std::string* problem) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::optional<utf8::Character> c = utf8::decode(utf8, at);
        if (!c) {
            if (problem) {
                *problem = "the text is not valid UTF-8 (byte " + std::to_string(at + 1) + ")";
            }
            return std::nullopt;
        }
        const std::optional<unsigned char> byte = fromUnicode(c->code);
        if (!byte) {
            if (problem) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c->code));
                *problem = "the character \"" + std::string(utf8.substr(at, c->length)) + "\" (" +
                           code + ") has no Windows-1252 form";
            }
            return std::nullopt;
        }
        out.push_back(static_cast<char>(*byte));
        at += c->length;
    }
    return out;
}

}  // namespace quillshift::windows1252
