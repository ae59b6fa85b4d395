#include "settings/IniFile.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <climits>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsWriteError.h"
#include "support/CaseName.h"
#include "support/SystemTexts.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// ---- Reading integers and booleans -------------------------------------------------------------

struct NumberCase {
    const char* name;
    std::string_view value;
    std::optional<int> expected;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseIntegerTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseIntegerTest, AcceptsExactlyTheNumberForms) {
    EXPECT_EQ(IniFile::parseInteger(GetParam().value), GetParam().expected);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIntegerTest,
    ::testing::Values(
        NumberCase{"Decimal", "60901", 60901}, NumberCase{"LeadingZeros", "00600", 600},
        NumberCase{"Zero", "0", 0}, NumberCase{"MinusZero", "-0", 0}, NumberCase{"Minus", "-5", -5},
        NumberCase{"Plus", "+5", 5}, NumberCase{"BlanksAround", " \t600 ", 600},
        NumberCase{"HexLowerX", "0x25a", 602}, NumberCase{"HexUpperX", "0X25A", 602},
        NumberCase{"HexZero", "0x0", 0}, NumberCase{"Dollar", "$ff", 255},
        NumberCase{"DollarUpper", "$EB", 235}, NumberCase{"MinusDollar", "-$10", -16},
        NumberCase{"MinusHex", "-0x10", -16}, NumberCase{"Largest", "2147483647", INT_MAX},
        NumberCase{"Smallest", "-2147483648", INT_MIN},
        NumberCase{"LargestHex", "$7FFFFFFF", INT_MAX},
        NumberCase{"SmallestHex", "-$80000000", INT_MIN},
        NumberCase{"TooLarge", "2147483648", std::nullopt},
        NumberCase{"TooSmall", "-2147483649", std::nullopt},
        NumberCase{"HexTooLarge", "$80000000", std::nullopt},
        NumberCase{"HexIsNotTwosComplement", "0xFFFFFFFF", std::nullopt},
        NumberCase{"Huge", "99999999999999999999999999", std::nullopt},
        NumberCase{"Empty", "", std::nullopt}, NumberCase{"Blanks", "  ", std::nullopt},
        NumberCase{"Word", "abc", std::nullopt}, NumberCase{"SignOnly", "-", std::nullopt},
        NumberCase{"TwoSigns", "--5", std::nullopt}, NumberCase{"PrefixOnly", "0x", std::nullopt},
        NumberCase{"DollarOnly", "$", std::nullopt},
        NumberCase{"SignAfterDollar", "$-5", std::nullopt},
        NumberCase{"TwoDollars", "$$1", std::nullopt},
        NumberCase{"TwoPrefixes", "0x0x1", std::nullopt},
        NumberCase{"XWithoutZero", "x258", std::nullopt},
        NumberCase{"HexSuffix", "258h", std::nullopt},
        NumberCase{"HexDigitInDecimal", "12abc", std::nullopt},
        NumberCase{"BeyondF", "0x25G", std::nullopt},
        NumberCase{"BlankInside", "6 00", std::nullopt},
        NumberCase{"Fraction", "1.5", std::nullopt},
        NumberCase{"ColonAfterNine", "6:", std::nullopt},   // ':' is no hexadecimal digit
        NumberCase{"NulInside", "1\0002"sv, std::nullopt},  // 1, NUL, 2
        NumberCase{"NotAscii", "\xD9", std::nullopt}),
    [](const ::testing::TestParamInfo<NumberCase>& row) { return row.param.name; });

struct IntegerCase {
    const char* name;
    const char* file;
    int expected;  // with default 123
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ReadIntegerTest, ReadsFormHeight) {
    const IniFile file = IniFile::parse(GetParam().file);
    EXPECT_EQ(file.readInteger("Form", "Height", 123), GetParam().expected) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadIntegerTest,
    ::testing::Values(IntegerCase{"Plain", "[Form]\nHeight=600\n", 600},
                      IntegerCase{"NotANumber", "[Form]\nHeight=abc\n", 123},
                      IntegerCase{"NoValue", "[Form]\nHeight=\n", 123},
                      IntegerCase{"BlanksAroundValue", "[Form]\nHeight=  600  \n", 600},
                      IntegerCase{"TabsAroundEquals", "[Form]\nHeight\t=\t600\t\n", 600},
                      IntegerCase{"CrLf", "[Form]\r\nHeight=600\r\n", 600},
                      IntegerCase{"NoFinalLineBreak", "[Form]\nHeight=600", 600},
                      IntegerCase{"ByteOrderMark", "\xEF\xBB\xBF[Form]\nHeight=600\n", 600},
                      // names regardless of letter case, blanks around them ignored
                      IntegerCase{"NamesInOtherCase", "[form]\nHEIGHT=600\n", 600},
                      IntegerCase{"BlanksAroundNames", "  [ Form ]  ; c\n  Height = 600\n", 600},
                      // missing file content, section or key
                      IntegerCase{"EmptyFile", "", 123},
                      IntegerCase{"OtherSection", "[Other]\nHeight=600\n", 123},
                      IntegerCase{"OtherKey", "[Form]\nWidth=600\n", 123},
                      IntegerCase{"KeyBeforeSection", "Height=600\n[Form]\n", 123},
                      IntegerCase{"KeyInNextSection", "[Form]\n[Path]\nHeight=600\n", 123},
                      IntegerCase{"KeyAfterEmptySectionName", "[Form]\n[]\nHeight=600\n", 123},
                      IntegerCase{"LongerSectionName", "[Formx]\nHeight=600\n", 123},
                      IntegerCase{"LongerKeyName", "[Form]\nHeightx=600\n", 123},
                      // comments and lines that are not keys
                      IntegerCase{"Comment", "[Form]\n;Height=600\n", 123},
                      IntegerCase{"IndentedHashComment", "[Form]\n  #Height=600\n", 123},
                      IntegerCase{"NoEquals", "[Form]\nHeight\n", 123},
                      IntegerCase{"NoName", "[Form]\n=600\n", 123},
                      IntegerCase{"UnclosedSection", "[Form\nHeight=600\n", 123},
                      IntegerCase{"UnclosedSectionInside", "[Form]\n[Broken\nHeight=600\n", 600},
                      // first occurrence wins; sections of one name count as one
                      IntegerCase{"FirstKeyWins", "[Form]\nHeight=1\nHeight=2\n", 1},
                      IntegerCase{"FirstOfSameSections", "[Form]\nHeight=1\n[FORM]\nHeight=2\n", 1},
                      IntegerCase{"SectionOfSameNameLater",
                                  "[Form]\nWidth=1\n[Path]\nHeight=3\n[Form]\nHeight=2\n", 2},
                      IntegerCase{"FirstKeyWinsEvenIfNotANumber", "[Form]\nHeight=abc\nHeight=5\n",
                                  123}),
    [](const ::testing::TestParamInfo<IntegerCase>& row) { return row.param.name; });

TEST(IniFileTest, BooleansAreIntegersWhereAnyNonZeroIsTrue) {
    struct Case {
        const char* value;
        bool whenDefaultFalse;
        bool whenDefaultTrue;
    };
    const Case cases[] = {
        {"1", true, true},  {"0", false, false},   {"7", true, true},
        {"-1", true, true}, {"true", false, true}, {"", false, true},
    };
    for (const Case& c : cases) {
        const IniFile file = IniFile::parse(std::string("[Form]\nMaximized=") + c.value + "\n");
        EXPECT_EQ(file.readBool("Form", "Maximized", false), c.whenDefaultFalse) << c.value;
        EXPECT_EQ(file.readBool("Form", "Maximized", true), c.whenDefaultTrue) << c.value;
    }
    EXPECT_TRUE(IniFile().readBool("Form", "Maximized", true));
    EXPECT_FALSE(IniFile().readBool("Form", "Maximized", false));
}

// ---- Reading text ------------------------------------------------------------------------------

struct TextCase {
    std::string file;
    std::string expected;  // with default "DEFAULT"
};

class ReadStringTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ReadStringTest, ReadsPathInput) {
    const IniFile file = IniFile::parse(GetParam().file);
    EXPECT_EQ(file.readString("Path", "Input", "DEFAULT"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadStringTest,
    ::testing::Values(
        TextCase{"[Path]\nInput=/home/ann/\n", "/home/ann/"}, TextCase{"[Path]\nInput=\n", ""},
        TextCase{"[Path]\nInput=   \n", ""}, TextCase{"[Path]\nInput\n", "DEFAULT"},
        TextCase{"[Path]\n", "DEFAULT"}, TextCase{"", "DEFAULT"},
        TextCase{"[path]\ninput=x\n", "x"}, TextCase{"[Path]\nInput=  a b  \n", "a b"},
        TextCase{"[Path]\nInput=a=b\n", "a=b"}, TextCase{"[Path]\nInput=a ; b\n", "a ; b"},
        TextCase{"[Path]\nInput=\"/a b/\"\n", "/a b/"}, TextCase{"[Path]\nInput='x'\n", "x"},
        TextCase{"[Path]\nInput=\" x \"\n", " x "}, TextCase{"[Path]\nInput=\"\"\n", ""},
        TextCase{"[Path]\nInput=\"x'\n", "\"x'"}, TextCase{"[Path]\nInput=\"\n", "\""},
        TextCase{"[Path]\nInput=\"x\n", "\"x"}, TextCase{"[Path]\r\nInput=C:\\x\\\r\n", "C:\\x\\"},
        TextCase{std::string("[Path]\nInput=ab\0cd\n", 17), "ab"},
        TextCase{"[Path]\nInput=caf\xC3\xA9\n", "caf\xC3\xA9"},
        TextCase{"[Path]\nInput=\xE9t\xE9\n", "\xE9t\xE9"}),
    [](const auto& row) { return testing::caseName(row.index, row.param.file); });

TEST(IniFileTest, LongTextIsCutToItsFirst2047Characters) {
    std::string value(3000, 'x');
    for (std::size_t i = 0; i < value.size(); ++i) {
        value[i] = static_cast<char>('a' + i % 26);
    }
    const IniFile file = IniFile::parse("[Path]\nInput=" + value + "\n");
    const std::string read = file.readString("Path", "Input", "");
    EXPECT_EQ(read, value.substr(0, 2047));
    EXPECT_EQ(IniFile::parse("[Path]\nInput=" + value.substr(0, 2047) + "\n")
                  .readString("Path", "Input", ""),
              value.substr(0, 2047));
}

TEST(IniFileTest, CutNeverSplitsAUtf8Character) {
    struct Case {
        std::string value;
        std::size_t expectedLength;
    };
    const Case cases[] = {
        // "é" (2 bytes) would straddle the limit: it is left out
        {std::string(2046, 'a') + "\xC3\xA9" + "tail", 2046},
        // "é" ends exactly at the limit: kept
        {std::string(2045, 'a') + "\xC3\xA9" + "tail", 2047},
        // a 4-byte character starting 3 bytes before the limit
        {std::string(2044, 'a') + "\xF0\x9F\x98\x80" + "tail", 2044},
        // a 3-byte character whose last byte is the first one past the limit
        {std::string(2045, 'a') + "\xE2\x82\xAC" + "tail", 2045},
        // bytes that are not UTF-8 are cut at the limit exactly
        {std::string(2047, 'a') + "\x80\x80", 2047},
        {std::string(2046, 'a') + "\xE9\xE9\xE9", 2047},
    };
    for (const Case& c : cases) {
        const IniFile file = IniFile::parse("[Path]\nInput=" + c.value + "\n");
        const std::string read = file.readString("Path", "Input", "");
        EXPECT_EQ(read, c.value.substr(0, c.expectedLength))
            << "expected " << c.expectedLength << " bytes, got " << read.size();
    }
}

TEST(IniFileTest, ValuesEndBeforeANulByte) {
    using namespace std::string_literals;
    const IniFile file = IniFile::parse(
        "[Form]\nHeight=12\0junk\nWidth=\"9\0\"\nTop=\0 5\n[Path]\nInput=/a/\0/b/\n"s);
    EXPECT_EQ(file.readInteger("Form", "Height", 0), 12);
    EXPECT_EQ(file.readString("Form", "Width", ""), "\"9");
    EXPECT_EQ(file.readInteger("Form", "Top", 7), 7);
    EXPECT_EQ(file.readString("Path", "Input", ""), "/a/");
}

// ---- Writing -----------------------------------------------------------------------------------

struct WriteCase {
    const char* name;
    std::string before;
    std::string after;  // after writing Form/Height=700
};

class WriteHeightTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteHeightTest, KeepsEveryOtherLine) {
    IniFile file = IniFile::parse(GetParam().before);
    file.writeInteger("Form", "Height", 700);
    EXPECT_EQ(file.text(), GetParam().after);
    EXPECT_EQ(IniFile::parse(file.text()).readInteger("Form", "Height", 0), 700);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WriteHeightTest,
    ::testing::Values(
        WriteCase{"NewFile", "", "[Form]\nHeight=700\n"},
        WriteCase{"InPlace", "[Form]\nHeight=600\nWidth=800\n", "[Form]\nHeight=700\nWidth=800\n"},
        WriteCase{"InPlaceKeepsSpellingAndSpacing", "[form]\n  HEIGHT = 600  \n",
                  "[form]\n  HEIGHT = 700\n"},
        WriteCase{"InPlaceEmptyValue", "[Form]\nHeight=   \n", "[Form]\nHeight=700\n"},
        WriteCase{"InPlaceQuotedValue", "[Form]\nHeight=\"600\"\n", "[Form]\nHeight=700\n"},
        WriteCase{"CommentsAndUnknownKeysKept",
                  "; Quillshift settings\n[Form]\n; size in pixels\nHeight=600\nColour=red\n"
                  "junk line\n\n[Extra]\nKey=1\n",
                  "; Quillshift settings\n[Form]\n; size in pixels\nHeight=700\nColour=red\n"
                  "junk line\n\n[Extra]\nKey=1\n"},
        WriteCase{"AddedAtEndOfSectionBeforeBlankLines",
                  "[Form]\nWidth=800\n\n\n[Path]\nInput=/x/\n",
                  "[Form]\nWidth=800\nHeight=700\n\n\n[Path]\nInput=/x/\n"},
        WriteCase{"AddedAfterTrailingComment", "[Form]\nWidth=800\n; end of form\n[Path]\n",
                  "[Form]\nWidth=800\n; end of form\nHeight=700\n[Path]\n"},
        WriteCase{"AddedToEmptySection", "[Form]\n[Path]\n", "[Form]\nHeight=700\n[Path]\n"},
        WriteCase{"AddedToFirstOfDuplicateSections", "[Form]\nWidth=1\n\n[Form]\nTop=2\n",
                  "[Form]\nWidth=1\nHeight=700\n\n[Form]\nTop=2\n"},
        WriteCase{"UpdatesFirstOccurrence", "[Form]\nWidth=1\n[Form]\nHeight=1\nHeight=2\n",
                  "[Form]\nWidth=1\n[Form]\nHeight=700\nHeight=2\n"},
        WriteCase{"CommentedKeyNotTouched", "[Form]\n;Height=600\n",
                  "[Form]\n;Height=600\nHeight=700\n"},
        WriteCase{"KeyOfOtherSectionNotTouched", "[Path]\nHeight=600\n",
                  "[Path]\nHeight=600\n\n[Form]\nHeight=700\n"},
        WriteCase{"KeyBeforeFirstSectionNotTouched", "Height=600\n",
                  "Height=600\n\n[Form]\nHeight=700\n"},
        WriteCase{"SectionAddedAfterBlankLine", "[Path]\nInput=/x/\n\n",
                  "[Path]\nInput=/x/\n\n[Form]\nHeight=700\n"},
        WriteCase{"NoFinalLineBreak", "[Form]\nWidth=800", "[Form]\nWidth=800\nHeight=700\n"},
        WriteCase{"CrLfKept", "[Form]\r\nWidth=800\r\n\r\n[Path]\r\nInput=/x/\r\n",
                  "[Form]\r\nWidth=800\r\nHeight=700\r\n\r\n[Path]\r\nInput=/x/\r\n"},
        WriteCase{"CrLfForNewSection", "[Path]\r\nInput=/x/",
                  "[Path]\r\nInput=/x/\r\n\r\n[Form]\r\nHeight=700\r\n"},
        WriteCase{"MixedEndingsKeptPerLine", "[Form]\nWidth=800\r\n",
                  "[Form]\nWidth=800\r\nHeight=700\n"},
        WriteCase{"ByteOrderMarkKept", "\xEF\xBB\xBF[Form]\nHeight=1\n",
                  "\xEF\xBB\xBF[Form]\nHeight=700\n"}),
    [](const ::testing::TestParamInfo<WriteCase>& row) { return row.param.name; });

TEST(IniFileTest, ValuesReadBackAsWritten) {
    const std::string values[] = {
        "",
        "plain",
        " leading",
        "trailing ",
        "\"quoted\"",
        "'single'",
        "\"",
        "'",
        "\"x'",
        "a=b;c",
        "#not a comment",
        "[not a section]",
        "\t",
        "caf\xC3\xA9",
        "\xFF\xFE",
        std::string(2047, 'z'),
    };
    for (const std::string& value : values) {
        IniFile file = IniFile::parse("[Path]\nInput=old\n");
        file.writeString("Path", "Input", value);
        EXPECT_EQ(IniFile::parse(file.text()).readString("Path", "Input", "DEFAULT"), value)
            << file.text();
    }
}

TEST(IniFileTest, IntegersAndBooleansAreWrittenInDecimalAndOneOrZero) {
    IniFile file;
    file.writeInteger("Form", "Top", -25);
    file.writeInteger("Form", "Left", INT_MIN);
    file.writeBool("Form", "Maximized", true);
    file.writeBool("Form", "Visible", false);
    EXPECT_EQ(file.text(), "[Form]\nTop=-25\nLeft=-2147483648\nMaximized=1\nVisible=0\n");
    EXPECT_EQ(IniFile::parse(file.text()).readInteger("Form", "Left", 0), INT_MIN);
}

TEST(IniFileTest, ValuesAndNamesTheFormatCannotHoldAreRefused) {
    const std::string before = "[Path]\nInput=old\n";
    struct Case {
        std::string section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"Path", "Input", "a\nb"},
        {"Path", "Input", "a\rb"},
        {"Path", "Input", std::string("a\0b", 3)},
        {"", "Input", "x"},
        {"Path", "", "x"},
        {" Path", "Input", "x"},
        {"Path", "Input ", "x"},
        {"Pa]th", "Input", "x"},
        {"Pa\nth", "Input", "x"},
        {"Path", "In=put", "x"},
        {"Path", ";Input", "x"},
        {"Path", "#Input", "x"},
        {"Path", "[Input", "x"},
        {"Path", std::string("In\0put", 6), "x"},
    };
    for (const Case& c : cases) {
        IniFile file = IniFile::parse(before);
        EXPECT_THROW(file.writeString(c.section, c.key, c.value), std::invalid_argument)
            << c.section << "/" << c.key;
        EXPECT_EQ(file.text(), before);
    }
}

// Builds files from fragments that exercise the odd corners, writes one key into each and checks
// that the key reads back and that no other key changed.
TEST(IniFileTest, WritingIntoOddFilesChangesOnlyTheWrittenKey) {
    const std::vector<std::string> fragments = {
        "[Form]",
        "[form ]",
        "[Path]",
        "[Other]",
        "[Broken",
        "[]",
        "Height=1",
        " height = 0x10 ",
        "Width=abc",
        "Input=\"q\"",
        "Input=",
        ";Height=9",
        "#x",
        "=5",
        "junk",
        "",
        "   ",
        "\r",
        std::string("Top=") + '\0',
        "\xEF\xBB\xBF",
        std::string("\xFF\xFE\x00\x01", 4),
        "Maximized=7",
    };
    const std::pair<std::string, std::string> probes[] = {
        {"Form", "Height"}, {"Form", "Width"},   {"Form", "Top"},
        {"Path", "Input"},  {"Other", "Height"}, {"Form", "Maximized"},
    };
    std::mt19937 random(20240511);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int lineCount = static_cast<int>(random() % 12);
        for (int i = 0; i < lineCount; ++i) {
            text += fragments[random() % fragments.size()];
            text += (random() % 3 == 0) ? "\r\n" : "\n";
        }
        if (random() % 2 == 0 && !text.empty()) {
            text.pop_back();
        }
        const auto& target = probes[random() % std::size(probes)];
        const std::string value = "v" + std::to_string(round);

        IniFile file = IniFile::parse(text);
        file.writeString(target.first, target.second, value);
        const IniFile reread = IniFile::parse(file.text());
        ASSERT_EQ(reread.readString(target.first, target.second, "MISSING"), value) << text;
        for (const auto& probe : probes) {
            if (probe == target) {
                continue;
            }
            ASSERT_EQ(reread.readString(probe.first, probe.second, "MISSING"),
                      IniFile::parse(text).readString(probe.first, probe.second, "MISSING"))
                << "file: " << text << "\nwrote " << target.first << "/" << target.second;
        }
        // Writing the text out and parsing it again is stable.
        ASSERT_EQ(IniFile::parse(reread.text()).text(), reread.text());
    }
}

TEST(IniFileTest, AnyBytesParseAndRead) {
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(random() % 400, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        if (round % 2 == 0) {
            bytes.insert(random() % (bytes.size() + 1), "\n[Form]\nHeight=42\n");
        }
        IniFile file = IniFile::parse(bytes);
        (void)file.readString("Form", "Height", "");
        (void)file.readInteger("Form", "Width", 0);
        file.writeInteger("Form", "Width", 5);
        ASSERT_EQ(IniFile::parse(file.text()).readInteger("Form", "Width", 0), 5);
    }
}

// ---- Files on disk -----------------------------------------------------------------------------

TEST(IniFileTest, MissingFileIsEmptyAndSaveCreatesIt) {
    TempDir folder;
    const std::string path = folder.file("q.INI");
    IniFile file = IniFile::load(path);
    EXPECT_EQ(file.problem(), "");
    EXPECT_EQ(file.path(), path);
    EXPECT_EQ(file.readInteger("Form", "Height", 600), 600);
    file.writeInteger("Form", "Height", 700);
    file.save();
    EXPECT_EQ(readBytes(path), "[Form]\nHeight=700\n");
}

TEST(IniFileTest, SaveReplacesTheFileAndLeavesNoTemporaryFiles) {
    TempDir folder;
    const std::string path = folder.file("q.INI");
    writeBytes(path, "; mine\r\n[Form]\r\nHeight=600\r\n");
    IniFile file = IniFile::load(path);
    file.writeInteger("Form", "Height", 700);
    file.save();
    EXPECT_EQ(readBytes(path), "; mine\r\n[Form]\r\nHeight=700\r\n");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1U);
}

// The limit the refusal names: "It is larger than 1 MiB, ...".
constexpr std::size_t kOneMiB = 1024 * 1024;

TEST(IniFileTest, FileOfExactlyTheLimitIsRead) {
    TempDir folder;
    const std::string path = folder.file("q.INI");
    std::string bytes = "[Form]\nHeight=700\n;";
    bytes.resize(kOneMiB, 'x');
    writeBytes(path, bytes);
    const IniFile file = IniFile::load(path);
    EXPECT_EQ(file.problem(), "");
    EXPECT_EQ(file.readInteger("Form", "Height", 0), 700);
}

TEST(IniFileTest, UnusableFilesReadAsEmptyAndAreNeverReplaced) {
    TempDir folder;
    const std::string big = folder.file("big.INI");
    std::string bytes = "[Form]\nHeight=700\n;";
    bytes.resize(kOneMiB + 1, 'x');
    writeBytes(big, bytes);
    const std::string dir = folder.file("dir.INI");
    std::filesystem::create_directory(dir);
    std::vector<std::string> unusable{big, dir};
#ifndef _WIN32
    unusable.push_back(folder.file("fifo.INI"));
    ASSERT_EQ(::mkfifo(unusable.back().c_str(), 0600), 0);
#endif

    for (const std::string& path : unusable) {
        IniFile file = IniFile::load(path);
        EXPECT_NE(file.problem().find(path), std::string::npos) << file.problem();
        EXPECT_EQ(file.readInteger("Form", "Height", 600), 600) << path;
        file.writeInteger("Form", "Height", 800);
        try {
            file.save();
            ADD_FAILURE() << "saved over " << path;
        } catch (const SettingsWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
            EXPECT_NE(error.reason().find(file.problem()), std::string::npos);
        }
    }
    EXPECT_EQ(readBytes(big), bytes);
    EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST(IniFileTest, SaveIntoAFolderThatCannotExistFailsWithTheFileName) {
    TempDir folder;
    writeBytes(folder.file("plain"), "x");
    const std::string path = folder.file("plain/q.INI");
    IniFile file = IniFile::load(path);
    EXPECT_EQ(file.problem(), "");  // missing on the way counts as missing
    file.writeInteger("Form", "Height", 700);
    try {
        file.save();
        FAIL() << "no error";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        EXPECT_NE(error.reason().find(testing::kNotAFolder), std::string::npos) << error.reason();
    }
}

TEST(IniFileTest, ParsedFileWithoutPathCannotBeSaved) {
    EXPECT_THROW(IniFile::parse("[Form]\n").save(), SettingsWriteError);
}

}  // namespace
}  // namespace quillshift
