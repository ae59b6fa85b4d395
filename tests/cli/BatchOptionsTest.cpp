// The batch converter's options for many scripts: each row runs one option's main case or its
// error case in a fresh folder and checks the status, what was printed and the files made.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <regex>

#include "cli/UnifiedDiff.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;
const std::string kCliGolden = QUILLSHIFT_CLI_GOLDEN_DIR;

// The one place where the rules break typical.ifs: its version message has no ";" of its own.
const std::string kTypicalWarning =
    "typical.ifs:42:3: warning: The version message replaced a ShowMessage call that had no ';' of "
    "its own and added one, which breaks a following else; check the next line. [line-replaced]\n";

std::string golden(const std::string& name) {
    return readBytes(kGolden + "/" + name);
}

struct Row {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;                                ///< what standard output holds (exactly)
    std::map<std::string, std::string> files = {};  ///< files there afterwards, with their bytes
    std::function<void(const testing::TempDir&)> setUp = {};
};

// Every row starts from a folder holding a legacy script a.ifs (no-header.ifs), a converted one
// done.ifs, and a tree t/ with two scripts of one name, one in a hidden folder and one behind a
// link to a folder.
void prepare(const testing::TempDir& dir) {
    fs::copy_file(kGolden + "/no-header.ifs", dir.file("a.ifs"));
    fs::copy_file(kGolden + "/no-header.expected", dir.file("done.ifs"));
    for (const char* folder : {"t/x", "t/y", "t/.hidden", "elsewhere"}) {
        fs::create_directories(dir.file(folder));
    }
    fs::copy_file(kGolden + "/no-header.ifs", dir.file("t/x/s.IFS"));
    fs::copy_file(kGolden + "/typical.ifs", dir.file("t/y/s.ifs"));
    fs::copy_file(kGolden + "/typical.ifs", dir.file("t/.hidden/h.ifs"));
    fs::copy_file(kGolden + "/typical.ifs", dir.file("elsewhere/e.ifs"));
    fs::create_directory_symlink("../elsewhere", dir.file("t/link"));
    fs::create_directory_symlink("x", dir.file("t/inside"));
    writeBytes(dir.file("t/y/notes.txt"), "not a script");
    fs::create_directory(dir.file("out"));
}

TEST(BatchOptions, EachOptionDoesWhatItSaysAndRefusesWhatItCannotDo) {
    const std::string a = golden("no-header.ifs");
    const std::string aConverted = golden("no-header.expected");
    const std::string typicalConverted = golden("typical.expected");
    const std::string usage;  // usage errors print nothing on standard output
    const std::vector<Row> rows{
        {"check: one would convert",
         {"--check", "a.ifs", "done.ifs"},
         1,
         "would convert a.ifs\n1 would convert, 1 skipped, 0 failed\n"},
        {"check: nothing to convert", {"--check", "-q", "done.ifs"}, 0, ""},
        {"recursive into a mirrored folder",
         {"-r", "-q", "-o", "out", "t"},
         0,
         "",
         {{"out/x/New s.IFS", aConverted}, {"out/y/New s.ifs", typicalConverted}}},
        {"recursive into hidden and linked folders when asked",
         {"-r", "--hidden", "--follow-symlinks", "--name-template", "{stem}.new{ext}", "-o", "out",
          "t"},
         0,
         "t/.hidden/h.ifs -> out/.hidden/h.new.ifs (25 lines, 4 rewritten)\n"
         "t/inside/s.IFS -> out/inside/s.new.IFS (5 lines, 2 rewritten)\n"
         "Skipped \"t/link\": it is a symbolic link to \"ROOT/elsewhere\", which lies outside "
         "the folders given\n"
         "t/y/s.ifs -> out/y/s.new.ifs (25 lines, 4 rewritten)\n"
         "3 converted, 1 skipped, 0 failed, 2 warnings in 2 files\n",
         // t/x was walked already, through the link that leads to it
         {{"out/.hidden/h.new.ifs", typicalConverted},
          {"out/inside/s.new.IFS", aConverted},
          {"out/y/s.new.ifs", typicalConverted}}},
        {"recursive into a folder given and the one it is in",
         {"-r", "-q", "-o", "out", "t/x", "t"},
         0,
         "",
         {{"out/New s.IFS", aConverted},
          {"out/x/New s.IFS", aConverted},
          {"out/y/New s.ifs", typicalConverted}}},
        {"a folder without -r", {"-o", "out", "t"}, 1, "0 converted, 0 skipped, 1 failed\n"},
        {"files from a NUL-separated list",
         {"-0", "--files-from", "list", "-q", "-o", "out", "--name-template", "{name}"},
         0,
         "",
         {{"out/a.ifs", aConverted}, {"out/s.ifs", typicalConverted}},
         [](const testing::TempDir& d) { writeBytes(d.file("list"), "a.ifs\0t/y/s.ifs\0"s); }},
        {"files from a missing list", {"--files-from", "nolist", "-o", "out"}, 2, usage},
        {"in place keeps a backup",
         {"-i", "-q", "a.ifs"},
         0,
         "",
         {{"a.ifs", aConverted}, {"a.ifs.bak", a}}},
        {"in place onto an existing backup",
         {"--in-place=.orig", "-q", "a.ifs"},
         1,
         "",
         {{"a.ifs", a}, {"a.ifs.orig", "older"}},
         [](const testing::TempDir& d) { writeBytes(d.file("a.ifs.orig"), "older"); }},
        {"filter from standard input to standard output",
         {"-c", "exec \"$0\" - - < a.ifs 2>/dev/null", QUILLSHIFT_CONVERT_EXE},
         0,
         aConverted},
        // Only a regular file can be both: a device read and written is not an input overwritten.
        {"filter from a device to the same device",
         {"-c", "exec \"$0\" - - < /dev/null > /dev/null", QUILLSHIFT_CONVERT_EXE},
         0,
         ""},
        // The report would go onto the end of the input.
        {"standard error that is an input",
         {"-c", "exec \"$0\" a.ifs - 2>>a.ifs", QUILLSHIFT_CONVERT_EXE},
         1,
         "",
         {{"a.ifs", a + "quillshift-convert: a.ifs: input file is output file\n"}}},
        {"check as JSON with every script skipped",
         {"--json", "--check", "done.ifs"},
         0,
         "{\n  \"files\": [\n    {\n      \"input\": \"done.ifs\",\n      \"output\": null,\n"
         "      \"status\": \"skipped\",\n      \"reason\": \"line 3 shows that it already has a "
         "converted header; use --reconvert to convert it again\",\n      \"warnings\": []\n"
         "    }\n  ],\n  \"totals\": {\n    \"converted\": 0,\n    \"wouldConvert\": 0,\n"
         "    \"skipped\": 1,\n    \"failed\": 0,\n    \"warnings\": 0\n  }\n}\n"},
        {"a dry run with a diff", {"--dry-run", "--diff", "a.ifs"}, 2, usage},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        prepare(dir);
        if (row.setUp) {
            row.setUp(dir);
        }
        const bool shell = row.arguments.front() == "-c";
        const auto result = testing::runProgram(shell ? "/bin/sh" : QUILLSHIFT_CONVERT_EXE,
                                                row.arguments, dir.path());
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name << "\n" << result.err;
        std::string out = result.out;
        const std::string root = fs::canonical(dir.path()).string();
        for (std::size_t at = out.find(root); at != std::string::npos; at = out.find(root)) {
            out.replace(at, root.size(), "ROOT");
        }
        EXPECT_EQ(out, row.out) << row.name;
        for (const auto& [name, bytes] : row.files) {
            EXPECT_EQ(readBytes(dir.file(name)), bytes) << row.name << ": " << name;
        }
        for (const auto& entry : fs::recursive_directory_iterator(dir.file("out"))) {
            const std::string name = fs::relative(entry.path(), dir.path()).string();
            EXPECT_TRUE(entry.is_directory() || row.files.contains(name))
                << row.name << ": " << name;
        }
        if (row.exitCode == 2) {
            EXPECT_FALSE(fs::exists(dir.file("out/New a.ifs"))) << row.name;
            EXPECT_NE(result.err.find("Try 'quillshift-convert --help'"), std::string::npos);
        }
    }
}

// The diff and the JSON report against files checked by hand; and the diff, given to patch,
// turns the legacy script into exactly the converted one.
TEST(BatchOptions, DiffAndJsonMatchTheirGoldenFilesAndThePatchApplies) {
    const testing::TempDir dir;
    fs::copy_file(kGolden + "/typical.ifs", dir.file("typical.ifs"));
    fs::copy_file(kGolden + "/no-header.expected", dir.file("done.ifs"));
    const auto diff =
        testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"--diff", "typical.ifs"}, dir.path());
    EXPECT_EQ(diff.exitCode, 1) << "differences, as diff says";
    // The head lines end with a tab and the files' dates, which vary.
    const std::regex dated(
        "^((---|\\+\\+\\+) typical\\.ifs)\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{9} "
        "[+-]\\d{4}\n",
        std::regex::ECMAScript | std::regex::multiline);
    EXPECT_EQ(std::regex_replace(diff.out, dated, "$1\n"), readBytes(kCliGolden + "/typical.diff"));
    EXPECT_EQ(diff.err,
              kTypicalWarning + "1 would convert, 0 skipped, 0 failed, 1 warning in 1 file\n");
    // With --check as well: the same patch, the list beside the totals.
    const auto checked = testing::runProgram(
        QUILLSHIFT_CONVERT_EXE, {"--check", "--diff", "typical.ifs", "done.ifs"}, dir.path());
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_EQ(std::regex_replace(checked.out, dated, "$1\n"),
              readBytes(kCliGolden + "/typical.diff"));
    EXPECT_EQ(checked.err, kTypicalWarning +
                               "would convert typical.ifs\n1 would convert, 1 skipped, 0 failed, 1 "
                               "warning in 1 file\n");
    EXPECT_EQ(testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"--diff", "-q", "done.ifs"}, dir.path())
                  .exitCode,
              0)
        << "no differences";
    const auto colored = testing::runProgram(
        QUILLSHIFT_CONVERT_EXE, {"--diff", "--color=always", "typical.ifs"}, dir.path());
    EXPECT_NE(colored.out.find("\x1b[31m-{ Cin\xE9"), std::string::npos);

    writeBytes(dir.file("typical.diff"), diff.out);
    const auto patched =
        testing::runProgram("/bin/sh", {"-c", "patch -s typical.ifs < typical.diff"}, dir.path());
    EXPECT_EQ(patched.exitCode, 0) << patched.out << patched.err;
    EXPECT_EQ(readBytes(dir.file("typical.ifs")), golden("typical.expected"));

    fs::copy_file(kGolden + "/typical.ifs", dir.file("typical.ifs"),
                  fs::copy_options::overwrite_existing);
    fs::create_directory(dir.file("out"));
    const auto json = testing::runProgram(
        QUILLSHIFT_CONVERT_EXE,
        {"--json", "--set", "Version=2.0", "-o", "out", "typical.ifs", "done.ifs", "missing.ifs"},
        dir.path());
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(json.out, readBytes(kCliGolden + "/run.json"));
    // Beside a diff, a skipped script has none.
    const auto jsonDiff = testing::runProgram(
        QUILLSHIFT_CONVERT_EXE, {"--json", "--diff", "done.ifs", "typical.ifs"}, dir.path());
    EXPECT_EQ(jsonDiff.exitCode, 1);
    EXPECT_EQ(jsonDiff.err, "");
    const std::size_t diffKey = jsonDiff.out.find("\"diff\": \"--- typical.ifs\\t");
    EXPECT_NE(diffKey, std::string::npos) << jsonDiff.out;
    EXPECT_EQ(jsonDiff.out.find("\"diff\""), diffKey);
}

// The diff's "---" line carries the input's time, its "+++" line the time of the run, even beside a
// file named "-".
TEST(BatchOptions, DiffIsDatedByTheInputAndTheRun) {
    const testing::TempDir dir;
    fs::copy_file(kGolden + "/typical.ifs", dir.file("a.ifs"));
    writeBytes(dir.file("-"), "not standard input");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(dir.file("a.ifs"), now - std::chrono::hours(24 * 365 * 20));
    fs::last_write_time(dir.file("-"), now - std::chrono::hours(24 * 365 * 10));
    const auto diff = testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"--diff", "a.ifs"}, dir.path());
    const std::time_t today = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&today, &local);
    const int thisYear = local.tm_year + 1900;
    const int inputYear = std::stoi(diff.out.substr(diff.out.find('\t') + 1, 4));
    const int runYear = std::stoi(diff.out.substr(diff.out.find("\n+++ a.ifs\t") + 11, 4));
    EXPECT_NEAR(inputYear, thisYear - 20, 1) << diff.out.substr(0, 200);
    EXPECT_NEAR(runYear, thisYear, 1) << diff.out.substr(0, 200);
}

// A header too long to be diffed line against line is deleted whole and written anew; patch still
// makes the converted script of it.
TEST(BatchOptions, PatchOfAVeryLongHeaderApplies) {
    const testing::TempDir dir;
    std::string script = "{ Long\r\n";
    for (int i = 0; i < 2500; ++i) {
        script += "  note " + std::to_string(i) + "\r\n";
    }
    writeBytes(dir.file("long.ifs"),
               script + "}\r\nprogram Long;\r\nbegin\r\n  DisplayResults;\r\nend.\r\n");
    const auto converted =
        testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"long.ifs", "converted.ifs"}, dir.path());
    ASSERT_EQ(converted.exitCode, 0) << converted.err;
    const auto patched = testing::runProgram(
        "/bin/sh",
        {"-c", "\"$0\" --diff long.ifs 2>/dev/null > d.patch; patch -s < d.patch",
         QUILLSHIFT_CONVERT_EXE},
        dir.path());
    EXPECT_EQ(patched.exitCode, 0) << patched.out << patched.err;
    EXPECT_EQ(readBytes(dir.file("long.ifs")), readBytes(dir.file("converted.ifs")));
}

// Random pairs of texts, diffed and given to patch: the patch must give back the second text.
TEST(BatchOptions, PatchTurnsTheFirstTextIntoTheSecondForRandomTexts) {
    const std::vector<std::string> pieces{"a\n", "b\n", "c\r\n", "d", "\n", "a\r\n", "e\n"};
    std::mt19937 random(9122026);
    const testing::TempDir dir;
    for (int round = 0; round < 40; ++round) {
        std::string before;
        std::string after;
        for (int i = static_cast<int>(random() % 30); i > 0; --i) {
            const std::string& piece = pieces[random() % pieces.size()];
            before += piece;
            after += random() % 3 == 0 ? pieces[random() % pieces.size()] : piece;
        }
        writeBytes(dir.file("text"), before);
        writeBytes(dir.file("patch"),
                   cli::unifiedDiff(before, after, {"text", "d", "text", "d"}, false));
        const auto patched =
            testing::runProgram("/bin/sh", {"-c", "patch -s text < patch"}, dir.path());
        ASSERT_EQ(readBytes(dir.file("text")), after)
            << ::testing::PrintToString(before) << " -> " << ::testing::PrintToString(after) << "\n"
            << patched.out << patched.err;
    }
}

}  // namespace
}  // namespace quillshift
