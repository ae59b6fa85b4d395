#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/Paths.h"
#include "support/RunProgram.h"
#include "support/SystemTexts.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;

class ConvertCommand : public ::testing::Test {
public:
    testing::RunResult run(const std::vector<std::string>& arguments) {
        return testing::runProgram(QUILLSHIFT_CONVERT_EXE, arguments, dir.path());
    }
    void copyGolden(const std::string& name, const std::string& as) {
        fs::copy_file(kGolden + "/" + name, dir.file(as));
    }
    testing::TempDir dir;
};

TEST_F(ConvertCommand, WritesWhatTheGoldenFileExpects) {
    for (const std::string name :
         {"typical", "header-edges", "mixed-endings", "no-program", "empty"}) {
        const std::string input = (fs::path(kGolden) / name).string();
        const auto result = run({input + ".ifs", name + ".out"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(readBytes(dir.file(name + ".out")), readBytes(input + ".expected")) << name;
    }
}

TEST_F(ConvertCommand, ReportsLinesAndRewrites) {
    copyGolden("no-header.ifs", "quick.ifs");
    const auto result = run({"quick.ifs", "new.ifs"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out,
              "quick.ifs -> new.ifs (5 lines, 2 rewritten)\n1 converted, 0 skipped, 0 failed\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(run({"-q", "quick.ifs", "other.ifs"}).out, "");
}

#ifndef _WIN32
// What the writer did beside writing is told: here, removing a file an interrupted run left.
TEST_F(ConvertCommand, SaysWhatTheWriterDidBesideWriting) {
    copyGolden("no-header.ifs", "quick.ifs");
    writeBytes(dir.file(".quillshift-Ab3dE9"), "left");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(".quillshift-Ab3dE9").c_str(), old, 0), 0);
    EXPECT_EQ(run({"quick.ifs", "new.ifs"}).err,
              "new.ifs: note: Removed the temporary file \".quillshift-Ab3dE9\" that an "
              "interrupted run left in \".\".\n");
    EXPECT_EQ(testing::listFolder(dir.path()), "new.ifs;quick.ifs;");
}
#endif

TEST_F(ConvertCommand, ConvertsSeveralIntoAFolderWithTheWindowsName) {
    copyGolden("typical.ifs", "a.ifs");
    copyGolden("no-header.ifs", "b.ifs");
    fs::create_directory(dir.file("out"));
    const auto result = run({"-o", "out", "a.ifs", "b.ifs"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(testing::listFolder(dir.file("out")), "New a.ifs;New b.ifs;");
    EXPECT_EQ(readBytes(dir.file("out/New b.ifs")), readBytes(kGolden + "/no-header.expected"));
}

TEST_F(ConvertCommand, LeavesAnExistingOutputAloneUnlessForced) {
    copyGolden("no-header.ifs", "in.ifs");
    writeBytes(dir.file("out.ifs"), "precious");
    const auto refused = run({"in.ifs", "out.ifs"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "Cannot create file \"out.ifs\". The file already exists; use --force to replace "
              "it.\n");
    EXPECT_EQ(readBytes(dir.file("out.ifs")), "precious");

    EXPECT_EQ(run({"--force", "in.ifs", "out.ifs"}).exitCode, 0);
    EXPECT_EQ(readBytes(dir.file("out.ifs")), readBytes(kGolden + "/no-header.expected"));
}

TEST_F(ConvertCommand, SkipsAConvertedScriptUnlessReconverting) {
    copyGolden("no-header.expected", "done.ifs");
    for (const char* force : {"--quiet", "--force"}) {
        const auto skipped = run({force, "done.ifs", "again.ifs"});
        EXPECT_EQ(skipped.exitCode, 0) << force;
        EXPECT_EQ(skipped.out, force == std::string("--quiet")
                                   ? ""
                                   : "Skipped \"done.ifs\": line 3 shows that it already has a "
                                     "converted header; use --reconvert to convert it again\n"
                                     "0 converted, 1 skipped, 0 failed\n");
        EXPECT_FALSE(fs::exists(dir.file("again.ifs")));
    }
    EXPECT_EQ(run({"--reconvert", "done.ifs", "again.ifs"}).exitCode, 0);
    EXPECT_NE(readBytes(dir.file("again.ifs")).find("////displayresults"), std::string::npos)
        << "a second conversion changes the body again";
}

TEST_F(ConvertCommand, DryRunPrintsPropertiesAndRewritesAndWritesNothing) {
    copyGolden("no-header.ifs", "quick.ifs");
    const auto result = run({"-n", "--set", "Version=2.0", "quick.ifs", "new.ifs"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Would write \"new.ifs\" from \"quick.ifs\":\n"
              "  Authors=\n  Title=\n  Description=\n  Site=\n  Language=?\n  Version=2.0\n"
              "  Comments=\n"
              "3: GetPicture:   getpicture(URL , True) ; ->   getpicture(URL ) ;\n"
              "4: DisplayResults:   x := 1; displayresults; ->   x := 1; //displayresults;\n"
              "quick.ifs -> new.ifs (5 lines, 2 rewritten; dry run, nothing written)\n"
              "1 would convert, 0 skipped, 0 failed\n");
    EXPECT_EQ(testing::listFolder(dir.path()), "quick.ifs;");
}

TEST_F(ConvertCommand, SetOverridesTheHarvestedProperties) {
    copyGolden("typical.ifs", "in.ifs");
    const auto result = run({"--set", "Version= 1.1 ", "--set=language=english, french", "--set",
                             "Authors=Zo\xC3\xAB", "--set", "Comments=One line", "--set",
                             "Site=http://new.example", "in.ifs", "out.ifs"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string written = readBytes(dir.file("out.ifs"));
    for (const std::string line :
         {"\r\nVersion=1.1\r\n", "\r\nLanguage=EN,FR\r\n", "\r\nAuthors=Zo\xEB\r\n",
          "\r\nComments= One line\r\n", "\r\nSite=http://new.example\r\n"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line;
    }
}

TEST_F(ConvertCommand, OneBadFileDoesNotStopTheOthers) {
    writeBytes(dir.file("utf16.ifs"), std::string("p\0r\0o\0", 6));
    copyGolden("no-header.ifs", "good.ifs");
    fs::create_directory(dir.file("out"));
    const auto result = run({"-o", "out", "utf16.ifs", "missing.ifs", "good.ifs"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Cannot open file \"utf16.ifs\". The file contains a NUL byte (line 1); it is not an "
              "8-bit text script.\n"
              "Cannot open file \"missing.ifs\". " +
                  std::string(testing::kMissingFile) + "\n");
    EXPECT_EQ(testing::listFolder(dir.file("out")), "New good.ifs;");
}

TEST_F(ConvertCommand, TwoInputsWithOneOutputNameDoNotOverwriteEachOther) {
    fs::create_directories(dir.file("x"));
    fs::create_directories(dir.file("y"));
    copyGolden("typical.ifs", "x/s.ifs");
    copyGolden("no-header.ifs", "y/s.ifs");
    const auto result = run({"-f", "-o", ".", "x/s.ifs", "y/s.ifs"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "x/s.ifs:42:3: warning: The version message replaced a ShowMessage call that had no "
              "';' of its own and added one, which breaks a following else; check the next line. "
              "[line-replaced]\n"
              "Cannot create file \"." +
                  std::string(1, paths::kSeparator) +
                  "New s.ifs\". It was already written from \"x/s.ifs\" in this run.\n");
    EXPECT_EQ(readBytes(dir.file("New s.ifs")), readBytes(kGolden + "/typical.expected"));
}

TEST_F(ConvertCommand, FailedSaveIsReportedAndLeavesNothing) {
    copyGolden("no-header.ifs", "in.ifs");
    const auto result = run({"in.ifs", "no/such/folder/out.ifs"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Cannot create file \"no/such/folder/out.ifs\". " +
                              std::string(testing::kMissingFolder) + "\n");
    EXPECT_EQ(result.out, "0 converted, 0 skipped, 1 failed\n");
}

}  // namespace
}  // namespace quillshift
