#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/FileError.h"
#include "conversion/ScriptLoader.h"
#include "support/ErrorText.h"
#include "support/SystemTexts.h"
#include "support/TempDir.h"
#ifndef _WIN32
#include "support/Unprivileged.h"
#endif

namespace quillshift {
namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    std::string_view name;
    std::string bytes;
    Lines lines;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsLikeThePaneLoader) {
    EXPECT_EQ(splitScriptLines(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, SplitTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"NoTerminator", "a", {"a"}},
        SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}}, SplitCase{"Lf", "a\nb\n", {"a", "b"}},
        SplitCase{"Cr", "a\rb\r", {"a", "b"}},
        SplitCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        SplitCase{"LfCrAtEnd", "a\n\r", {"a", ""}}, SplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
        SplitCase{"LoneBreak", "\r\n", {""}}, SplitCase{"TwoLf", "\n\n", {"", ""}},
        SplitCase{"TrailingBlanksStay", "a  \r\n  \r\n", {"a  ", "  "}},
        SplitCase{"ByteOrderMarkStays", "\xEF\xBB\xBFprogram X;", {"\xEF\xBB\xBFprogram X;"}},
        SplitCase{"HighBytesStay", "\x80\xE9\xFF\x1A", {"\x80\xE9\xFF\x1A"}},
        SplitCase{"OneTab", "\tx := 1;", {"    x := 1;"}},
        SplitCase{"TwoTabs", "\t\tx", {"        x"}},
        SplitCase{"TabIgnoresColumn", "ab\tc\t", {"ab    c    "}},
        SplitCase{"TabOnlyLine", "\t\r\n\t", {"    ", "    "}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ScriptLoader, LfFileLoadsLikeItsCrLfTwin) {
    EXPECT_EQ(splitScriptLines("program A;\nbegin\n\nend.\n"),
              splitScriptLines("program A;\r\nbegin\r\n\r\nend.\r\n"));
}

TEST(ScriptLoader, ReaderReusesItsLineAndMatchesSplit) {
    const std::string bytes = "a\tb\r\nlonger line than the small buffer\rc";
    ScriptLineReader reader(bytes);
    Lines seen;
    std::string line;
    while (reader.next(line)) {
        seen.push_back(line);
    }
    EXPECT_EQ(seen, splitScriptLines(bytes));
    EXPECT_FALSE(reader.next(line));
}

// Each line's answer is its own: a "{" or "*" on an earlier or a later line does not count.
TEST(ScriptLoader, ReaderTellsWhichLinesMayOpenAComment) {
    ScriptLineReader reader("a*b\nplain\n{x\r\nno\n*");
    reader.watchCommentOpeners();
    std::string answers;
    std::string_view line;
    std::string_view raw;
    while (reader.nextRaw(line, raw)) {
        answers += reader.mayOpenComment() ? '1' : '0';
    }
    EXPECT_EQ(answers, "10101");
    // Not watched, any line may.
    ScriptLineReader unwatched("plain");
    ASSERT_TRUE(unwatched.nextRaw(line, raw));
    EXPECT_TRUE(unwatched.mayOpenComment());
}

TEST(ScriptLoader, FindsTheLineOfTheFirstNulByte) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"no nul here\r\n", 0},
        {std::string("\0", 1), 1},
        {std::string("a\nb\nc\0d\ne\0", 10), 3},
        {std::string("a\r\n\0", 4), 2},
        {std::string("a\n\r\0", 4), 3},
        {std::string("a\r\rb\0", 5), 3},
    };
    for (const auto& [bytes, line] : cases) {
        EXPECT_EQ(findNulLine(bytes), line) << ::testing::PrintToString(bytes);
    }
}

TEST(ScriptLoader, RefusesAFileWithANulByteNamingPathAndLine) {
    testing::TempDir dir;
    const std::string path = dir.file("utf16.ifs");
    testing::writeBytes(path, std::string("{\r\n{ x\r\np\0r\0o\0g\0", 16));
    EXPECT_EQ(testing::errorText([&] { loadScriptFile(path); }),
              "Cannot open file \"" + path +
                  "\". The file contains a NUL byte (line 3); it is not an 8-bit text script.");
}

TEST(ScriptLoader, ReportsFilesThatCannotBeRead) {
    testing::TempDir dir;
    const std::string missing = dir.file("gone.ifs");
    EXPECT_EQ(testing::errorText([&] { loadScriptFile(missing); }),
              "Cannot open file \"" + missing + "\". " + testing::kMissingFile);
    EXPECT_EQ(testing::errorText([&] { loadScriptFile(dir.path()); }),
              "Cannot open file \"" + dir.path() + "\". Is a directory");
#ifdef __linux__
    // A regular file whose reading fails: the process's memory, not mapped at its start.
    EXPECT_EQ(testing::errorText([&] { loadScriptFile("/proc/self/mem"); }),
              "Cannot open file \"/proc/self/mem\". Input/output error");
#endif
}

#ifndef _WIN32  // POSIX permissions, checked as the user "nobody"
TEST(ScriptLoader, ReportsAFileWithoutReadPermission) {
    testing::TempDir dir;
    const std::string path = dir.file("locked.ifs");
    testing::writeBytes(path, "program X;");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(path.c_str(), 0);
    EXPECT_TRUE(testing::runUnprivileged([&] {
        return testing::errorText([&] { loadScriptFile(path); }) ==
               "Cannot open file \"" + path + "\". Permission denied";
    }));
}
#endif

TEST(ScriptLoader, LoadsEveryByteButNulCrLfAndTabUnchanged) {
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n' && b != '\t') {
            bytes.push_back(static_cast<char>(b));
        }
    }
    testing::TempDir dir;
    testing::writeBytes(dir.file("all.ifs"), bytes);
    EXPECT_EQ(loadScriptFile(dir.file("all.ifs")), Lines{bytes});
}

}  // namespace
}  // namespace quillshift
