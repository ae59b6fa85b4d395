#include <gtest/gtest.h>

#include "conversion/LegacyConverter.h"

namespace quillshift {
namespace {

using Lines = std::vector<std::string>;

const std::string kVersionMessage =
    "  ShowMessage('This script requires a newer version of Reelvault (at least the version "
    "3.5.0)');";

struct BodyCase {
    std::string_view name;
    std::string line;
    std::string converted;
    BodyRule rule;
};

class BodyRuleTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(BodyRuleTest, RewritesTheLine) {
    ScriptProperties properties;
    LegacyConverter converter(properties);
    std::string out;
    BodyRule rule = BodyRule::None;
    ASSERT_TRUE(converter.convertLine("program T;", out));
    ASSERT_TRUE(converter.convertLine(GetParam().line, out, &rule));
    EXPECT_EQ(out, GetParam().converted);
    EXPECT_EQ(rule, GetParam().rule);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BodyRuleTest,
    ::testing::Values(
        BodyCase{"PlainLine", "  x := 1;  ", "  x := 1;  ", BodyRule::None},
        BodyCase{"GetPictureTwoArguments", "  GetPicture(PicURL, False);", "  GetPicture(PicURL);",
                 BodyRule::GetPicture},
        BodyCase{"GetPictureNoComma", "  GetPicture(PicURL);", "  GetPicture(PicURL);",
                 BodyRule::None},
        BodyCase{"GetPictureNoCloseAfterComma", "GetPicture(a), b;", "GetPicture(a), b;",
                 BodyRule::None},
        BodyCase{"GetPictureCommaBeforeKeyword", "f(a, GetPicture(b));", "f(a, GetPicture(b));",
                 BodyRule::None},
        BodyCase{"GetPictureFirstCommaToFirstClose", "x := getpicture(a, b, c) + f(d);",
                 "x := getpicture(a) + f(d);", BodyRule::GetPicture},
        BodyCase{"DisplayResults", "  DisplayResults;", "  //DisplayResults;",
                 BodyRule::DisplayResults},
        BodyCase{"DisplayResultsKeepsCase", "x := 1; displayresults;", "x := 1; //displayresults;",
                 BodyRule::DisplayResults},
        BodyCase{"CheckVersion", "  if not CheckVersion(3,4,2) then",
                 "  if not CheckVersion(3,5,0) then", BodyRule::CheckVersion},
        BodyCase{"CheckVersionSpaced", "if CHECKVERSION (3, 4, 2) then",
                 "if CHECKVERSION (3,5,0) then", BodyRule::CheckVersion},
        BodyCase{"CheckVersionWithoutParentheses", "if CheckVersion then", "if CheckVersion then",
                 BodyRule::None},
        BodyCase{"CheckVersionWithoutClose", "CheckVersion(3,4 then", "CheckVersion(3,4 then",
                 BodyRule::None},
        BodyCase{"CheckVersionCloseBeforeOpen", "CheckVersion) x (", "CheckVersion) x (",
                 BodyRule::None},
        BodyCase{"VersionMessage", "      showmessage('Requires A NEWER version');",
                 kVersionMessage, BodyRule::VersionMessage},
        BodyCase{"RequiresANewerAlone", "Writeln('requires a newer');",
                 "Writeln('requires a newer');", BodyRule::None},
        BodyCase{"LastRuleWinsDisplayResults", "  GetPicture(PicURL, False); DisplayResults;",
                 "  GetPicture(PicURL, False); //DisplayResults;", BodyRule::DisplayResults},
        BodyCase{"LastRuleWinsCheckVersion", "DisplayResults; CheckVersion(1,2,3);",
                 "DisplayResults; CheckVersion(3,5,0);", BodyRule::CheckVersion},
        BodyCase{"LastRuleWinsMessage", "ShowMessage('requires a newer'); GetPicture(a, b);",
                 kVersionMessage, BodyRule::VersionMessage},
        BodyCase{"HighBytesAreNotLetters", "\xE9getpicture(\xE9, \xFF)\xE0",
                 "\xE9getpicture(\xE9)\xE0", BodyRule::GetPicture},
        BodyCase{"AlreadyConvertedCheckVersion", "CheckVersion(3,5,0)", "CheckVersion(3,5,0)",
                 BodyRule::CheckVersion}),
    [](const auto& row) { return std::string(row.param.name); });

struct HarvestCase {
    std::string_view name;
    Lines header;  // lines after the ignored first line and the title line
    ScriptProperties expected;
};

ScriptProperties props(std::string authors, std::string site, std::size_t language,
                       Lines comments) {
    ScriptProperties p;
    p.authors = std::move(authors);
    p.site = std::move(site);
    p.language = language;
    p.comments = std::move(comments);
    p.title = "T";
    p.description = "Movie importation script for T";
    return p;
}

class HarvestTest : public ::testing::TestWithParam<HarvestCase> {};

TEST_P(HarvestTest, FillsTheProperties) {
    Lines input{"(* first line (c) http://ignored (EN)", "{ T"};
    input.insert(input.end(), GetParam().header.begin(), GetParam().header.end());
    input.push_back("program X;");
    ScriptProperties properties;
    Lines output;
    convertLegacyScript(input, output, properties);
    EXPECT_EQ(properties, GetParam().expected);
    EXPECT_EQ(output, Lines{"program X;"});
}

INSTANTIATE_TEST_SUITE_P(
    HeaderLines, HarvestTest,
    ::testing::Values(
        HarvestCase{"Nothing", {}, props("", "", 0, {})},
        HarvestCase{
            "FramedAuthor", {"* (c) 2004 the author *"}, props("(c) 2004 the author", "", 0, {})},
        HarvestCase{"LaterAuthorWins", {"(C) one", "(p) two"}, props("(p) two", "", 0, {})},
        HarvestCase{"CombinedTagIsRowFour", {"(EN,FR)"}, props("", "", 4, {"(EN,FR)"})},
        HarvestCase{
            "TableOrderNotLineOrder", {"(FR) then (EN)"}, props("", "", 3, {"(FR) then (EN)"})},
        HarvestCase{"LaterTagWins", {"(de)", "(it)"}, props("", "", 7, {"(de)", "(it)"})},
        HarvestCase{"BoilerplateDroppedButSetsLanguage",
                    {"This program is free software; you can redistribute it (FR)"},
                    props("", "", 6, {})},
        HarvestCase{"BoilerplateIsCaseSensitive",
                    {"THIS PROGRAM IS FREE"},
                    props("", "", 0, {"THIS PROGRAM IS FREE"})},
        HarvestCase{"SiteHostsAreBoilerplate",
                    {"see reelvault.org", "www.reelvault-scripts.org", "(c) reelvault.org"},
                    props("", "", 0, {})},
        HarvestCase{"SiteKeepsTheBlankThatEndsIt",
                    {"Site: http://a.example/x more"},
                    props("", "http://a.example/x ", 0, {})},
        HarvestCase{
            "SiteToTheEnd", {"HTTP://UPPER.example"}, props("", "HTTP://UPPER.example", 0, {})},
        HarvestCase{"AuthorBeatsSite",
                    {"(c) me http://x.example"},
                    props("(c) me http://x.example", "", 0, {})},
        HarvestCase{"SevenAsterisksAreAComment", {"*******"}, props("", "", 0, {"*****"})},
        HarvestCase{"EightAsterisksAreIgnored", {"********", " x *******"}, props("", "", 0, {})},
        HarvestCase{
            "StarsAndBlanksOnly", {"*", "**", "*   *", "", "  \x01 "}, props("", "", 0, {})},
        HarvestCase{"OnlyOneStarStrippedEachSide", {"**note**"}, props("", "", 0, {"*note*"})},
        HarvestCase{
            "TrimsControlCharacters", {"\x1F\x01 note \x7F\x0B"}, props("", "", 0, {"note \x7F"})},
        HarvestCase{"IndentedProgramIsHeader",
                    {"  program Y;", "programY;", "PROGRAM"},
                    props("", "", 0, {"program Y;", "programY;", "PROGRAM"})}),
    [](const auto& row) { return std::string(row.param.name); });

struct TitleCase {
    std::string line;
    std::string title;
};

TEST(LegacyConverter, TitleLineDropsTwoCharactersAndTrims) {
    const TitleCase cases[] = {
        {"{ Foo importer", "Foo importer"},
        {"  //   Spaced   ", "Spaced"},
        {"(*Tight (FR)", "Tight (FR)"},
        {"x", ""},
        {"", ""},
    };
    for (const auto& [line, title] : cases) {
        ScriptProperties properties;
        Lines output;
        convertLegacyScript({"first", line}, output, properties);
        EXPECT_EQ(properties.title, title) << line;
        EXPECT_EQ(properties.description, "Movie importation script for " + title) << line;
        EXPECT_EQ(properties.language, 0U) << "no tag is looked for in the title line";
    }
}

TEST(LegacyConverter, ProgramLineSwitchesToTheBodyForGood) {
    const Lines input{"Program A;", "{ not a title", "(c) not an author", "program B;"};
    ScriptProperties properties;
    Lines output{"stale"};
    convertLegacyScript(input, output, properties);
    EXPECT_EQ(output, input);
    EXPECT_EQ(properties, ScriptProperties{});
}

TEST(LegacyConverter, TabAfterProgramHasBecomeBlanksAndSwitches) {
    ScriptProperties properties;
    Lines output;
    convertLegacyScript({"{", "{ T", "program    Foo;"}, output, properties);
    EXPECT_EQ(output, Lines{"program    Foo;"});
}

TEST(LegacyConverter, WithoutProgramLineTheWholeFileIsHeader) {
    ScriptProperties properties;
    Lines output{"stale"};
    convertLegacyScript({"{", "{ T", "note", "begin", "DisplayResults;"}, output, properties);
    EXPECT_TRUE(output.empty());
    EXPECT_EQ(properties.comments, (Lines{"note", "begin", "DisplayResults;"}));
}

TEST(LegacyConverter, ClearsCommentsButLeavesOtherFieldsToTheCaller) {
    ScriptProperties properties;
    properties.title = "kept";
    properties.version = "1.0";
    properties.comments = {"old"};
    Lines output;
    convertLegacyScript({}, output, properties);
    EXPECT_TRUE(properties.comments.empty());
    EXPECT_EQ(properties.title, "kept");
    EXPECT_EQ(properties.version, "1.0");
}

TEST(LegacyConverter, FindsTheMarkOfAConvertedHeaderBeforeTheProgramLine) {
    const std::string opening = "(" + std::string(51, '*');
    const std::pair<Lines, std::size_t> cases[] = {
        {{"(***", "", "x", "y", "", "[Infos]", "program A;"}, 6},
        {{"  [INFOS]  "}, 1},
        {{"{", "[ infos ]"}, 2},
        {{"{", "{", "[Infos] ; edited by hand"}, 3},
        {{"  " + opening, "", "REELVAULT importation script", "[Info]"}, 3},
        {{opening, "{ A legacy title", "Reelvault importation script"}, 0},
        {{"{", "", "Reelvault importation script"}, 0},
        {{"program A;", "[Infos]"}, 0},
        {{"{", "{ [Infos] in a title"}, 0},
        {{"{", "[Infos] x"}, 0},
    };
    for (const auto& [lines, expected] : cases) {
        ScriptProperties properties;
        LegacyConverter converter(properties);
        std::string out;
        for (const auto& line : lines) {
            converter.convertLine(line, out);
        }
        EXPECT_EQ(converter.convertedMarkLine(), expected) << lines.back();
    }
}

// What became of each line, for the window's marks.
TEST(LegacyConverter, NotesWhatBecameOfEachLine) {
    const Lines script{"{ first",
                       "{ Title",
                       "*********",
                       " *  * ",
                       "(c) me (FR)",
                       "http://site.example/ index",
                       "This program is free software (DE)",
                       "a comment",
                       "program A;",
                       "  DisplayResults;",
                       "x := 1;"};
    using Use = HeaderUse;
    const std::vector<std::pair<Use, std::size_t>> header{
        {Use::FirstLine, 0}, {Use::Title, 0}, {Use::Frame, 0},       {Use::Empty, 0},
        {Use::Authors, 6},   {Use::Site, 0},  {Use::Boilerplate, 2}, {Use::Comment, 0}};
    ScriptProperties properties;
    Lines output;
    ConversionNotes notes;
    convertLegacyScript(script, output, properties, &notes);
    ASSERT_EQ(notes.header.size(), header.size());
    for (std::size_t i = 0; i < header.size(); ++i) {
        EXPECT_EQ(notes.header[i].use, header[i].first) << script[i];
        EXPECT_EQ(notes.header[i].language, header[i].second) << script[i];
    }
    EXPECT_EQ(notes.header[6].phrase, "This program is fre");
    EXPECT_EQ(notes.bodyRules,
              (std::vector<BodyRule>{BodyRule::None, BodyRule::DisplayResults, BodyRule::None}));
}

}  // namespace
}  // namespace quillshift
