#include <gtest/gtest.h>

#include "conversion/Windows1252.h"

namespace quillshift {
namespace {

namespace cp = windows1252;

TEST(Windows1252, EveryByteRoundTripsThroughUnicode) {
    for (int b = 0; b < 256; ++b) {
        const char32_t c = cp::toUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(cp::fromUnicode(c), static_cast<unsigned char>(b)) << b;
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(cp::fromUtf8(cp::toUtf8(byte)), byte) << b;
    }
}

TEST(Windows1252, MapsTheHighControlRange) {
    const std::pair<unsigned char, char32_t> cases[] = {
        {0x80, 0x20AC}, {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090},
        {0x9D, 0x009D}, {0x85, 0x2026}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9},
    };
    for (const auto& [byte, character] : cases) {
        EXPECT_EQ(cp::toUnicode(byte), character) << int(byte);
    }
}

TEST(Windows1252, RefusesCharactersItCannotHold) {
    for (char32_t c : {char32_t(0x0100), char32_t(0x2713), char32_t(0x1F600), char32_t(0x0080)}) {
        EXPECT_EQ(cp::fromUnicode(c), std::nullopt) << unsigned(c);
    }
    std::string problem;
    EXPECT_EQ(cp::fromUtf8("ok \xE2\x9C\x93", &problem), std::nullopt);
    EXPECT_EQ(problem, "the character \"\xE2\x9C\x93\" (U+2713) has no Windows-1252 form");
}

TEST(Windows1252, RefusesMalformedUtf8) {
    for (std::string bad : {"\xC0\x80", "\xED\xA0\x80", "a\xE2\x82", "\x80", "\xF8\x88\x80\x80"}) {
        std::string problem;
        EXPECT_EQ(cp::fromUtf8(bad, &problem), std::nullopt) << bad;
        EXPECT_NE(problem.find("not valid UTF-8"), std::string::npos);
    }
}

TEST(Windows1252, ConvertsTextBothWays) {
    EXPECT_EQ(cp::toUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(cp::fromUtf8("D\xC3\xA9j\xC3\xA0 \xE2\x80\x93"), "D\xE9j\xE0 \x96");
}

}  // namespace
}  // namespace quillshift
