#include <gtest/gtest.h>

#include "base/TextOps.h"
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
        EXPECT_GE(pieces, 1u);
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
    EXPECT_EQ(LanguageTable::find("en,fr"), 4u);
    EXPECT_EQ(LanguageTable::find("FRENCH"), 6u);
    EXPECT_EQ(LanguageTable::find("english, french"), 4u);
    EXPECT_EQ(LanguageTable::find("?"), 0u);
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
