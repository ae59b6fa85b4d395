// The batch converter on Windows: paths with backslashes and drives, file identity by volume and
// file index, device names, files held open by another program, read-only files, names outside
// the ANSI code page and byte-exact standard streams. Each row runs the program in a fresh folder
// and checks the status, what was printed and the files there afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>

#include "base/Win32.h"
#include "cli/UnifiedDiff.h"
#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;
const std::string kCafe = "Caf\xC3\xA9 \xE2\x98\x95";  // "Café ☕", in no ANSI code page

std::string golden(const std::string& name) {
    return readBytes(kGolden + "/" + name);
}

// Another program's handle on a file, shared with nobody, for as long as the row runs.
std::shared_ptr<win32::Handle> holdOpen(const std::string& path) {
    return std::make_shared<win32::Handle>(
        ::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void makeReadOnly(const std::string& path) {
    ::SetFileAttributesW(win32::widePath(path).c_str(), FILE_ATTRIBUTE_READONLY);
}

struct Row {
    const char* name;
    std::vector<std::string> arguments;  // "DIR" stands for the row's folder, as C:\...
    int exitCode;
    std::string out;                                ///< standard output, exactly ("DIR" as above)
    std::string err;                                ///< a part of standard error
    std::map<std::string, std::string> files = {};  ///< files there afterwards, with their bytes
    std::function<std::shared_ptr<void>(const testing::TempDir&)> setUp = {};
    std::vector<std::string> readOnly = {};  ///< files that must be read-only afterwards
};

std::string withFolder(std::string text, const std::string& folder) {
    for (std::size_t at = text.find("DIR"); at != std::string::npos; at = text.find("DIR", at)) {
        text.replace(at, 3, folder);
        at += folder.size();
    }
    return text;
}

// Every row starts from a folder holding a legacy script a.ifs (no-header.ifs), a tree t\ with
// two scripts of one name in two folders, and an empty folder out\.
void prepare(const testing::TempDir& dir) {
    fs::copy_file(kGolden + "/no-header.ifs", dir.file("a.ifs"));
    fs::create_directories(dir.file("t/x"));
    fs::create_directories(dir.file("t/y"));
    fs::copy_file(kGolden + "/no-header.ifs", dir.file("t/x/s.IFS"));
    fs::copy_file(kGolden + "/typical.ifs", dir.file("t/y/s.ifs"));
    fs::create_directory(dir.file("out"));
}

TEST(WindowsCommand, EachWindowsCaseDoesWhatItSaysAndLosesNothing) {
    const std::string a = golden("no-header.ifs");
    const std::string aConverted = golden("no-header.expected");
    const std::string typicalConverted = golden("typical.expected");
    const std::string device = "It is a device, pipe or socket, not a regular file";
    const std::vector<Row> rows{
        {"backslashes and a drive",
         {"-o", "DIR\\out", "DIR\\a.ifs"},
         0,
         "DIR\\a.ifs -> DIR\\out\\New a.ifs (5 lines, 2 rewritten)\n"
         "1 converted, 0 skipped, 0 failed\n",
         "",
         {{"out/New a.ifs", aConverted}}},
        {"the output beside its input",
         {"DIR\\a.ifs", "DIR\\New a.ifs"},
         0,
         "DIR\\a.ifs -> DIR\\New a.ifs (5 lines, 2 rewritten)\n1 converted, 0 skipped, 0 failed\n",
         "",
         {{"New a.ifs", aConverted}}},
        {"recursive into every folder, not only the top one",
         {"-r", "-o", "out", "t"},
         0,
         "t\\x\\s.IFS -> out\\x\\New s.IFS (5 lines, 2 rewritten)\n"
         "t\\y\\s.ifs -> out\\y\\New s.ifs (25 lines, 4 rewritten)\n"
         "2 converted, 0 skipped, 0 failed, 1 warning in 1 file\n",
         "",
         {{"out/x/New s.IFS", aConverted}, {"out/y/New s.ifs", typicalConverted}}},
        {"wildcards expanded as a POSIX shell would, in any letter case",
         {"-q", "-o", "out", "*.IFS", "t\\x\\*"},
         0,
         "",
         "",
         {{"out/New a.ifs", aConverted}, {"out/New s.IFS", aConverted}}},
        {"two outputs whose names differ only in letter case",
         {"-f", "-o", "out", "a.ifs", "t\\x\\A.ifs"},
         1,
         "a.ifs -> out\\New a.ifs (5 lines, 2 rewritten)\n1 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"out\\New A.ifs\". It was already written from \"a.ifs\" in this "
         "run.",
         {{"out/New a.ifs", aConverted}},
         [](const testing::TempDir& d) {
             fs::copy_file(kGolden + "/typical.ifs", d.file("t/x/A.ifs"));
             return nullptr;
         }},
        {"force replaces another file",
         {"-q", "--force", "a.ifs", "old.ifs"},
         0,
         "",
         "",
         {{"old.ifs", aConverted}},
         [](const testing::TempDir& d) {
             writeBytes(d.file("old.ifs"), "older");
             return nullptr;
         }},
        {"the input in other letters",
         {"--force", "a.ifs", "A.IFS"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"A.IFS\". It is an input of this run.",
         {{"a.ifs", a}}},
        {"the input through .. and a backslash",
         {"--force", "a.ifs", "t\\..\\a.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "It is an input of this run.",
         {{"a.ifs", a}}},
        {"the input through a hard link",
         {"--force", "a.ifs", "hard.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "It is an input of this run.",
         {{"a.ifs", a}, {"hard.ifs", a}},
         [](const testing::TempDir& d) {
             fs::create_hard_link(d.file("a.ifs"), d.file("hard.ifs"));
             return nullptr;
         }},
        {"NUL as the output",
         {"a.ifs", "NUL"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"NUL\". " + device},
        {"a device name with an extension as the output",
         {"--force", "a.ifs", "con.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"con.ifs\". " + device},
        {"a device name as the input",
         {"-o", "out", "aux.ifs", "CON"},
         1,
         "0 converted, 0 skipped, 2 failed\n",
         "Cannot open file \"aux.ifs\". " + device},
        {"an output another program holds open",
         {"--force", "a.ifs", "held.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"held.ifs\". Another program has the file open",
         {{"held.ifs", "precious"}},
         [](const testing::TempDir& d) {
             writeBytes(d.file("held.ifs"), "precious");
             return holdOpen(d.file("held.ifs"));
         }},
        {"an input another program holds open",
         {"-o", "out", "a.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot open file \"a.ifs\". Another program has the file open",
         {{"a.ifs", a}},
         [](const testing::TempDir& d) { return holdOpen(d.file("a.ifs")); }},
        {"a read-only output, forced, stays read-only",
         {"-q", "--force", "a.ifs", "ro.ifs"},
         0,
         "",
         "",
         {{"ro.ifs", aConverted}},
         [](const testing::TempDir& d) {
             writeBytes(d.file("ro.ifs"), "kept");
             makeReadOnly(d.file("ro.ifs"));
             return nullptr;
         },
         {"ro.ifs"}},
        {"in place on a read-only script",
         {"-i", "a.ifs"},
         1,
         "0 converted, 0 skipped, 1 failed\n",
         "Cannot create file \"a.ifs\". You may not write to it, so it is not replaced. It is "
         "read-only. Use --force to replace it anyway.",
         {{"a.ifs", a}},
         [](const testing::TempDir& d) {
             makeReadOnly(d.file("a.ifs"));
             return nullptr;
         }},
        {"in place on a read-only script, forced: both stay read-only",
         {"-q", "-f", "-i", "a.ifs"},
         0,
         "",
         "",
         {{"a.ifs", aConverted}, {"a.ifs.bak", a}},
         [](const testing::TempDir& d) {
             makeReadOnly(d.file("a.ifs"));
             return nullptr;
         },
         {"a.ifs", "a.ifs.bak"}},
        {"in place keeps a backup",
         {"-i", "-q", "a.ifs"},
         0,
         "",
         "",
         {{"a.ifs", aConverted}, {"a.ifs.bak", a}}},
        {"a name outside the ANSI code page",
         {"-o", "out", kCafe + ".ifs"},
         0,
         kCafe + ".ifs -> out\\New " + kCafe + ".ifs (5 lines, 2 rewritten)\n" +
             "1 converted, 0 skipped, 0 failed\n",
         "",
         {{"out/New " + kCafe + ".ifs", aConverted}},
         [](const testing::TempDir& d) {
             fs::copy_file(kGolden + "/no-header.ifs",
                           fs::path(win32::widen(d.file(kCafe + ".ifs"))));
             return nullptr;
         }},
        {"a path longer than 260 characters",
         {"-q", "-o", std::string(150, 'o') + "\\" + std::string(150, 'p'), "a.ifs"},
         0,
         "",
         "",
         {{std::string(150, 'o') + "/" + std::string(150, 'p') + "/New a.ifs", aConverted}},
         [](const testing::TempDir& d) {
             fs::create_directories(fs::path(
                 win32::widen(d.file(std::string(150, 'o') + "/" + std::string(150, 'p')))));
             return nullptr;
         }},
        {"a name template with a backslash",
         {"--name-template", "x\\{name}", "-o", "out", "a.ifs"},
         2,
         "",
         "--name-template must give a file name, without \"\\\" or \"/\""},
        {"a name template naming a stream",
         {"--name-template", "{name}:x", "-o", "out", "a.ifs"},
         2,
         "",
         "--name-template holds \":\", which Windows does not allow in file names"},
        {"no colour into a file unless asked",
         {"--diff", "--color=auto", "a.ifs"},
         1,
         cli::unifiedDiff(a, aConverted, {"a.ifs", "DATE", "a.ifs", "DATE"}, false),
         "1 would convert, 0 skipped, 0 failed"},
        {"colour when asked",
         {"--diff", "--color=always", "a.ifs"},
         1,
         cli::unifiedDiff(a, aConverted, {"a.ifs", "DATE", "a.ifs", "DATE"}, true),
         ""},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        prepare(dir);
        std::shared_ptr<void> held = row.setUp ? row.setUp(dir) : nullptr;
        // The folder as Windows writes it, with backslashes only.
        std::string folder = dir.path();
        std::replace(folder.begin(), folder.end(), '/', '\\');
        std::vector<std::string> arguments;
        for (const std::string& argument : row.arguments) {
            arguments.push_back(withFolder(argument, folder));
        }
        const auto result = testing::runProgram(QUILLSHIFT_CONVERT_EXE, arguments, dir.path());
        held.reset();
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name << "\n" << result.err;
        // A diff's head lines end with the files' dates, in the form GNU diff writes them.
        static const std::regex dates(
            "\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{9} [+-]\\d{4}");
        EXPECT_EQ(std::regex_replace(result.out, dates, "\tDATE"), withFolder(row.out, folder))
            << row.name;
        EXPECT_NE(result.err.find(row.err), std::string::npos) << row.name << "\n" << result.err;
        for (const auto& [name, bytes] : row.files) {
            EXPECT_EQ(readBytes(dir.file(name)), bytes) << row.name << ": " << name;
        }
        for (const std::string& name : row.readOnly) {
            EXPECT_NE(::GetFileAttributesW(win32::widePath(dir.file(name)).c_str()) &
                          FILE_ATTRIBUTE_READONLY,
                      0u)
                << row.name << ": " << name;
        }
        // Nothing else was made: no temporary file, no output of a failed conversion.
        testing::walkTree(dir.path(), [&](const std::string& name, bool isFolder,
                                          const std::wstring&) {
            const bool prepared = name == "a.ifs" || name.starts_with("t/") || name == "old.ifs" ||
                                  name == "held.ifs" || name == "ro.ifs" || name == kCafe + ".ifs";
            EXPECT_TRUE(isFolder || prepared || row.files.contains(name))
                << row.name << ": " << name;
        });
    }
}

// Standard input and output carry every byte unchanged: no CR LF translation, no end of the text
// at a Ctrl-Z byte, as the C run-time of Windows does to text streams.
TEST(WindowsCommand, StandardInputAndOutputCarryEveryByte) {
    const testing::TempDir dir;
    const std::string legacy =
        "{ Title : Bytes }\r\nprogram Bytes;\r\nbegin\n  s := 'a\x1A\x1A' + #26;\rx\r\n\x1A"
        "  DisplayResults;\r\n\r\nend.\x1A\xFF\r\n";
    writeBytes(dir.file("bytes.ifs"), legacy);
    ScriptProperties properties;
    std::vector<std::string> body;
    convertLegacyScript(splitScriptLines(legacy), body, properties);
    const std::string expected = renderOutputScript(properties, body);

    const auto filter = testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"-", "-"}, dir.path(), -1, 60,
                                            dir.file("bytes.ifs"));
    EXPECT_EQ(filter.exitCode, 0) << filter.err;
    EXPECT_EQ(filter.out, expected);
    EXPECT_EQ(filter.err, "- -> - (" + std::to_string(body.size()) +
                              " lines, 1 rewritten)\n1 converted, 0 skipped, 0 failed\n");

    const auto toFile =
        testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"bytes.ifs", "new.ifs"}, dir.path());
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(readBytes(dir.file("new.ifs")), expected);
}

}  // namespace
}  // namespace quillshift
