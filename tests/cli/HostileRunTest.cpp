// Runs a hostile user might set up: links planted where the run will look, files not the user's,
// standard streams that are inputs or cannot be written, lists that never end. Every row checks
// the exit status, what standard error says, and that the files that must survive did.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;
const std::string kExe = QUILLSHIFT_CONVERT_EXE;

struct Row {
    const char* name;
    std::function<void(const testing::TempDir&)> setUp;
    std::string command;  // run by sh in the folder; $Q is the converter
    int exitCode;
    std::string err;  // a text standard error must hold ("" for none at all)
    std::function<bool(const testing::TempDir&)> holds;
};

TEST(HostileRun, NothingIsWrittenWhereTheRunWasNotAsked) {
    const std::string legacy = readBytes(kGolden + "/typical.ifs");
    const auto unchanged = [&](const char* name) {
        return [&legacy, name](const testing::TempDir& d) {
            return readBytes(d.file(name)) == legacy;
        };
    };
    const auto precious = [](const testing::TempDir& d) {
        return readBytes(d.file("elsewhere/precious.txt")) == "precious";
    };
    const std::vector<Row> rows{
        {"a link in a tree to a file outside it",
         [](const testing::TempDir& d) {
             fs::create_symlink("../elsewhere/precious.txt", d.file("tree/profile.ifs"));
         },
         "$Q -i -r tree", 0, "",
         [&](const testing::TempDir& d) {
             return precious(d) && fs::is_symlink(d.file("tree/profile.ifs"));
         }},
        {"the same link with --follow-symlinks",
         [](const testing::TempDir& d) {
             fs::create_symlink("../elsewhere/precious.txt", d.file("tree/profile.ifs"));
         },
         "$Q -i -r --follow-symlinks tree > out", 0, "",
         [&](const testing::TempDir& d) {
             return precious(d) && readBytes(d.file("out"))
                                           .find(
                                               "Skipped \"tree/profile.ifs\": it is a symbolic "
                                               "link to") != std::string::npos;
         }},
        {"a planted link at the backup name, with --force",
         [](const testing::TempDir& d) {
             fs::create_symlink("../elsewhere/precious.txt", d.file("tree/a.ifs.bak"));
         },
         "$Q -f -i tree/a.ifs", 1, "It is a symbolic link",
         [&](const testing::TempDir& d) { return precious(d) && unchanged("tree/a.ifs")(d); }},
        {"a pipe at the backup name, with --force",
         [](const testing::TempDir& d) { ::mkfifo(d.file("tree/a.ifs.bak").c_str(), 0644); },
         "$Q -f -i tree/a.ifs", 1, "not a regular file", unchanged("tree/a.ifs")},
        {"a link in a --files-from list",
         [](const testing::TempDir& d) {
             fs::create_symlink("../elsewhere/precious.txt", d.file("tree/listed.ifs"));
             writeBytes(d.file("list"), "tree/listed.ifs\n");
         },
         "$Q -i --files-from list > out", 0, "",
         [&](const testing::TempDir& d) {
             return precious(d) && readBytes(d.file("out")).find("Skipped") != std::string::npos;
         }},
        {"a planted link for an -o subfolder",
         [](const testing::TempDir& d) {
             fs::create_directories(d.file("tree/sub"));
             fs::copy_file(kGolden + "/typical.ifs", d.file("tree/sub/s.ifs"));
             fs::create_directory(d.file("out"));
             fs::create_directory_symlink("../elsewhere", d.file("out/sub"));
         },
         "$Q -r -o out tree", 1, "\"out/sub\" is a symbolic link met on the way",
         [](const testing::TempDir& d) { return !fs::exists(d.file("elsewhere/New s.ifs")); }},
        {"a planted link at an -o output name, with --force",
         [](const testing::TempDir& d) {
             fs::create_directory(d.file("out"));
             fs::create_symlink("../elsewhere/precious.txt", d.file("out/New a.ifs"));
         },
         "$Q -f -o out tree/a.ifs", 1, "It is a symbolic link", precious},
        {"standard output appended to the input",
         {},
         "$Q tree/a.ifs - >> tree/a.ifs",
         1,
         "quillshift-convert: tree/a.ifs: input file is output file\n",
         unchanged("tree/a.ifs")},
        {"standard input and output one file",
         {},
         "$Q - - < tree/a.ifs >> tree/a.ifs",
         1,
         "input file is output file",
         unchanged("tree/a.ifs")},
        {"the report on a full standard error",
         {},
         "$Q tree/a.ifs - > out 2>/dev/full",
         1,
         "",
         [](const testing::TempDir& d) { return !readBytes(d.file("out")).empty(); }},
        {"the JSON report on a closed standard error",
         {},
         "$Q --json tree/a.ifs - > out 2>&-",
         1,
         "",
         [](const testing::TempDir&) { return true; }},
        {"an endless --files-from list",
         {},
         "$Q --files-from /dev/zero -0 -o elsewhere",
         2,
         "goes on past 16 MiB",
         [](const testing::TempDir&) { return true; }},
        {"an endless --files-from pipe",
         {},
         "yes tree/a.ifs | $Q --files-from - -o elsewhere",
         2,
         "goes on past 16 MiB",
         [](const testing::TempDir&) { return true; }},
        {"a diff of a name with blanks, given to patch",
         [](const testing::TempDir& d) {
             fs::copy_file(kGolden + "/typical.ifs", d.file("my script.ifs"));
         },
         "$Q --diff 'my script.ifs' > d.patch 2>/dev/null; patch -s < d.patch", 0, "",
         [](const testing::TempDir& d) {
             return readBytes(d.file("my script.ifs")) == readBytes(kGolden + "/typical.expected");
         }},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        fs::create_directories(dir.file("tree"));
        fs::create_directories(dir.file("elsewhere"));
        fs::copy_file(kGolden + "/typical.ifs", dir.file("tree/a.ifs"));
        writeBytes(dir.file("elsewhere/precious.txt"), "precious");
        if (row.setUp) {
            row.setUp(dir);
        }
        ::setenv("Q", kExe.c_str(), 1);
        const auto result = testing::runProgram("/bin/sh", {"-c", row.command}, dir.path());
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name << "\n" << result.err;
        if (row.err.empty()) {
            EXPECT_TRUE(row.exitCode != 0 || result.err.find("failed") == std::string::npos)
                << row.name << "\n"
                << result.err;
        } else {
            EXPECT_NE(result.err.find(row.err), std::string::npos) << row.name << "\n"
                                                                   << result.err;
        }
        EXPECT_TRUE(row.holds(dir)) << row.name;
    }
}

}  // namespace
}  // namespace quillshift
