#include <gtest/gtest.h>

#include <random>

#include "base/TextOps.h"
#include "conversion/BodyKeywords.h"

namespace quillshift {
namespace {

// The plain way: upper-case the line and search each keyword.
BodyKeywordPositions reference(std::string_view line) {
    std::string upper(line);
    for (char& c : upper) {
        c = text::upperAscii(c);
    }
    BodyKeywordPositions positions;
    for (std::size_t k = 0; k < kBodyKeywordCount; ++k) {
        positions[k] = upper.find(kBodyKeywords[k]);
    }
    return positions;
}

TEST(BodyKeywords, FindsKeywordsAtEveryOffsetAndLength) {
    // Keywords straddling the 16-byte blocks, at the very end, cut off by the end, in any case.
    for (const std::string keyword :
         {"GetPicture", "DISPLAYRESULTS", "checkversion", "ShowMessagE"}) {
        for (std::size_t offset = 0; offset < 40; ++offset) {
            for (std::size_t cut = 0; cut <= 2; ++cut) {
                const std::string line =
                    std::string(offset, 'x') + keyword.substr(0, keyword.size() - cut);
                EXPECT_EQ(findBodyKeywords(line), reference(line)) << line;
            }
        }
    }
}

TEST(BodyKeywords, AgreesWithThePlainSearchOnRandomLines) {
    // Lines built from keyword pieces, near-misses and bytes that differ from letters only in
    // bit 5 (such as '@' and '`' or 0xC7 and 0xE7).
    const std::vector<std::string> pieces{
        "GetPicture",   "getpicturE",  "GETPICTUR",   "DisplayResults", "DISPLAYRESULT",
        "CheckVersion", "CHECKVERSIO", "ShowMessage", "SHOWMESSAG",     "ge",
        "Sh",           "( ,)",        "\x07\x05",    "\xC7\xE5",       "@`",
        "\t",           " ",           "x := 1;"};
    std::mt19937 random(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int count = static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i) {
            line += pieces[random() % pieces.size()];
        }
        ASSERT_EQ(findBodyKeywords(line), reference(line)) << ::testing::PrintToString(line);
    }
}

TEST(BodyKeywords, FindsAPhraseIgnoringCase) {
    EXPECT_EQ(text::findIgnoringAsciiCase("x requires A Newer one", "REQUIRES A NEWER"), 2U);
    EXPECT_EQ(text::findIgnoringAsciiCase("requires a newe", "REQUIRES A NEWER"),
              std::string_view::npos);
    EXPECT_EQ(text::findIgnoringAsciiCase("requires\ta newer", "REQUIRES A NEWER"),
              std::string_view::npos);
}

}  // namespace
}  // namespace quillshift
