#include <gtest/gtest.h>

#include "base/TextOps.h"
#include "base/Utf8.h"
#include "conversion/LanguageTable.h"
#include "conversion/ScriptProperties.h"

namespace quillshift {
namespace {

TEST(TextOps, UpperCasesOnlyAsciiLetters) {
    std::string upper = "az AZ 09 {}`@[\xE9\xFF\xB5";
    for (char& c : upper) {
        c = text::upperAscii(c);
    }
    EXPECT_EQ(upper, "AZ AZ 09 {}`@[\xE9\xFF\xB5");
}

TEST(TextOps, TrimsCodesUpTo32) {
    EXPECT_EQ(text::trimView(" \t\x01\x1F x y \x20\r\n"), "x y");
    EXPECT_EQ(text::trimView("\x7F x \xA0"), "\x7F x \xA0");
    EXPECT_EQ(text::trimView("  \x01  "), "");
}

TEST(TextOps, ExpandsEachTabToFourBlanks) {
    EXPECT_EQ(text::expandTabs("\ta\t\tb"), "    a        b");
    EXPECT_EQ(text::expandTabs("no tab"), "no tab");
}

// The pieces make up the expanded line, none of them empty but for an empty line's one.
TEST(TextOps, ExpandsTabsInPiecesWithoutHoldingTheLine) {
    const std::string manyTabs = std::string(100000, '\t') + "x";
    for (const std::string& line :
         std::vector<std::string>{"", "no tab", "\t", "\ta\t\tb", "a\t", manyTabs}) {
        std::string joined;
        std::size_t pieces = 0;
        text::expandTabsInPieces(line, [&](std::string_view piece) {
            EXPECT_TRUE(!piece.empty() || line.empty());
            EXPECT_LE(piece.size(), std::max<std::size_t>(line.size(), 4));
            joined.append(piece);
            ++pieces;
        });
        EXPECT_EQ(joined, text::expandTabs(line)) << line.substr(0, 10);
        EXPECT_GE(pieces, 1U);
    }
}

// Each row sits at an edge of what the decoder takes: code point 0 means "refused".
TEST(Utf8, DecodesWellFormedCharactersOnly) {
    const std::pair<std::string, char32_t> cases[] = {
        {"\x7F", 0x7F},
        {"\xC2\x80", 0x80},
        {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800},
        {"\xED\x9F\xBF", 0xD7FF},
        {"\xEE\x80\x80", 0xE000},
        {"\xF0\x90\x80\x80", 0x10000},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
        {"\xC1\xBF", 0},
        {"\xE0\x9F\xBF", 0},
        {"\xF0\x8F\xBF\xBF", 0},
        {"\xED\xA0\x80", 0},
        {"\xED\xBF\xBF", 0},
        {"\xF4\x90\x80\x80", 0},
        {"\xF5\x80\x80\x80", 0},
        {"\x80", 0},
        {"\xE2\x82", 0},
        {"\xE2\x28\xAC", 0},
    };
    for (const auto& [bytes, code] : cases) {
        const std::optional<utf8::Character> c = utf8::decode("x" + bytes, 1);
        EXPECT_EQ(c ? c->code : 0, code) << testing::PrintToString(bytes);
        EXPECT_EQ(c ? c->length : bytes.size(), bytes.size()) << testing::PrintToString(bytes);
        if (c) {
            std::string encoded;
            utf8::append(code, encoded);
            EXPECT_EQ(encoded, bytes);
        }
    }
}

TEST(LanguageTable, HasTheNineRowsInOrder) {
    std::string codes;
    for (const auto& row : LanguageTable::rows()) {
        codes += std::string(row.code) + "|";
    }
    EXPECT_EQ(codes, "?|BR|DE|EN|EN,FR|ES|FR|IT|PT|");
    EXPECT_EQ(LanguageTable::row(4).name, "English, French");
    EXPECT_EQ(LanguageTable::row(99).code, "?");
}

TEST(LanguageTable, FindsRowsByCodeOrName) {
    EXPECT_EQ(LanguageTable::find("en,fr"), 4U);
    EXPECT_EQ(LanguageTable::find("FRENCH"), 6U);
    EXPECT_EQ(LanguageTable::find("english, french"), 4U);
    EXPECT_EQ(LanguageTable::find("?"), 0U);
    EXPECT_EQ(LanguageTable::find("EN, FR"), std::nullopt);
    EXPECT_EQ(LanguageTable::find(""), std::nullopt);
}

TEST(ScriptProperties, ClearGivesTheUnknownLanguageAndEmptyTexts) {
    ScriptProperties p{"a", "t", "d", "s", 4, "v", {"c"}};
    EXPECT_EQ(p.languageCode(), "EN,FR");
    p.clear();
    EXPECT_EQ(p, ScriptProperties{});
    EXPECT_EQ(p.languageCode(), "?");
}

}  // namespace
}  // namespace quillshift
