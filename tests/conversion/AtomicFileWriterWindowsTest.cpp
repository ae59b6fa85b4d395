// The atomic writer on Windows: what it writes, what it refuses to replace (each with the reason
// and nothing changed), and the temporary files it never leaves behind. Ctrl+C during a write is
// checked by tests/windows/interrupted-write.sh.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/Win32.h"
#include "support/ErrorText.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::listFolder;
using testing::readBytes;
using testing::writeBytes;

DWORD attributesOf(const std::string& path) {
    return ::GetFileAttributesW(win32::widePath(path).c_str());
}

class AtomicFileWriterWindowsTest : public ::testing::Test {
protected:
    testing::TempDir dir;
};

TEST_F(AtomicFileWriterWindowsTest, WritesNewAndReplacedFilesKeepingTheirAttributes) {
    writeFileAtomically(dir.file("new.ifs"), "data", IfTargetExists::Fail);
    EXPECT_EQ(readBytes(dir.file("new.ifs")), "data");
    EXPECT_EQ(
        attributesOf(dir.file("new.ifs")) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY), 0u);

    writeBytes(dir.file("old.ifs"), "old contents that are longer");
    ::SetFileAttributesW(win32::widePath(dir.file("old.ifs")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    writeFileAtomically(dir.file("old.ifs"), "new", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(dir.file("old.ifs")), "new");
    EXPECT_NE(attributesOf(dir.file("old.ifs")) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // Backslashes, a name outside any ANSI code page, and a path past the classic 260 characters.
    const std::string unicode = dir.path() + "\\Caf\xC3\xA9 \xE2\x98\x95.ifs";
    writeFileAtomically(unicode, "u", IfTargetExists::Fail);
    EXPECT_EQ(readBytes(unicode), "u");
    const std::string deep = dir.file(std::string(120, 'd')) + "\\" + std::string(120, 'e');
    fs::create_directories(fs::path(win32::widen(deep)));
    const std::string longPath = deep + "\\" + std::string(100, 'n') + ".ifs";
    writeFileAtomically(longPath, "a", IfTargetExists::Fail);
    writeFileAtomically(longPath, "b", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(longPath), "b");
    EXPECT_EQ(listFolder(dir.path()),
              "Caf\xC3\xA9 \xE2\x98\x95.ifs;" + std::string(120, 'd') + ";new.ifs;old.ifs;");
    std::string below;
    testing::walkTree(dir.path(), [&](const std::string& name, bool, const std::wstring&) {
        below += name.starts_with(std::string(120, 'd') + "/") ? name + ";" : "";
    });
    EXPECT_EQ(below, std::string(120, 'd') + "/" + std::string(120, 'e') + ";" +
                         std::string(120, 'd') + "/" + std::string(120, 'e') + "/" +
                         std::string(100, 'n') + ".ifs;");
}

// Targets that must survive: each row makes one and names the reason the write is refused with.
TEST_F(AtomicFileWriterWindowsTest, RefusesTargetsItMayNotReplace) {
    struct Case {
        const char* name;
        IfTargetExists ifExists;
        std::function<std::string(const testing::TempDir&)> make;  // returns the target
        std::string reason;
    };
    const auto regular = [](const testing::TempDir& d) {
        writeBytes(d.file("kept.ifs"), "precious");
        return d.file("kept.ifs");
    };
    const std::string device =
        "It is a device, pipe or socket, not a regular file, so it is not "
        "replaced.";
    const std::vector<Case> cases{
        {"existing file", IfTargetExists::Fail, regular, "The file already exists."},
        {"folder", IfTargetExists::Replace,
         [](const testing::TempDir& d) {
             fs::create_directory(d.file("folder"));
             return d.file("folder");
         },
         "Is a directory"},
        {"read-only file", IfTargetExists::Replace,
         [&](const testing::TempDir& d) {
             ::SetFileAttributesW(win32::widePath(regular(d)).c_str(), FILE_ATTRIBUTE_READONLY);
             return d.file("kept.ifs");
         },
         "You may not write to it, so it is not replaced. It is read-only."},
        {"hard-linked file", IfTargetExists::Replace,
         [&](const testing::TempDir& d) {
             fs::create_hard_link(regular(d), d.file("other name.ifs"));
             return d.file("kept.ifs");
         },
         "The file has 2 hard links; replacing it would leave the old contents under its other "
         "names."},
        {"NUL", IfTargetExists::Replace, [](const testing::TempDir& d) { return d.file("NUL"); },
         device},
        {"con in any case", IfTargetExists::Fail,
         [](const testing::TempDir& d) { return d.file("con"); }, device},
        {"aux with an extension", IfTargetExists::Replace,
         [](const testing::TempDir& d) { return d.file("aux.ifs"); }, device},
        {"COM1 with an extension", IfTargetExists::Fail,
         [](const testing::TempDir& d) { return d.file("Com1.txt"); }, device},
        {"device namespace", IfTargetExists::Replace,
         [](const testing::TempDir&) { return std::string("\\\\.\\NUL"); }, device},
    };
    for (const Case& c : cases) {
        const testing::TempDir scratch;
        const std::string target = c.make(scratch);
        const std::string before = listFolder(scratch.path());
        EXPECT_EQ(testing::errorText([&] { writeFileAtomically(target, "new", c.ifExists); }),
                  "Cannot create file \"" + target + "\". " + c.reason)
            << c.name;
        EXPECT_EQ(listFolder(scratch.path()), before) << c.name;
        if (before.find("kept.ifs") != std::string::npos) {
            EXPECT_EQ(readBytes(scratch.file("kept.ifs")), "precious") << c.name;
        }
        ::SetFileAttributesW(win32::widePath(scratch.file("kept.ifs")).c_str(),
                             FILE_ATTRIBUTE_NORMAL);
    }
}

// A read-only file is replaced only when that is asked for, and stays read-only.
TEST_F(AtomicFileWriterWindowsTest, ReplacesAReadOnlyFileOnlyWhenAskedAndKeepsItReadOnly) {
    const std::string path = dir.file("ro.ifs");
    writeBytes(path, "old");
    ::SetFileAttributesW(win32::widePath(path).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(
        testing::errorText([&] { writeFileAtomically(path, "new", IfTargetExists::Replace); }),
        "(no error)");
    EXPECT_EQ(readBytes(path), "old");
    writeFileAtomically(path, "new", IfTargetExists::ReplaceEvenIfNotWritable);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_NE(attributesOf(path) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(listFolder(dir.path()), "ro.ifs;");
}

// A temporary file that a killed run left is removed by the next writer in its folder, with a
// note; one that a writer at work holds open, and names not of the pattern, stay.
TEST_F(AtomicFileWriterWindowsTest, RemovesStaleTemporaryFilesOfEarlierRuns) {
    const std::vector<std::string> names{".quillshift-Ab3dE9", ".quillshift-busy01",
                                         ".quillshift-Ab3dE9x", "quillshift-Ab3dE9"};
    for (const std::string& name : names) {
        writeBytes(dir.file(name), "left");
        // Changed long before this process started.
        const win32::Handle file(::CreateFileW(win32::widePath(dir.file(name)).c_str(),
                                               FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        FILETIME old{};
        old.dwHighDateTime = 0x01D0'0000;  // 2014
        ::SetFileTime(file.get(), nullptr, nullptr, &old);
    }
    const win32::Handle busy(::CreateFileW(win32::widePath(dir.file(".quillshift-busy01")).c_str(),
                                           GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    AtomicFileWriter writer(dir.file("new.ifs"), IfTargetExists::Fail);
    EXPECT_EQ(writer.notes(), std::vector<std::string>{"Removed the temporary file "
                                                       "\".quillshift-Ab3dE9\" that an "
                                                       "interrupted run left in \"" +
                                                       dir.path() + "\"."});
    writer.write("x");
    writer.commit();
    EXPECT_EQ(listFolder(dir.path()),
              ".quillshift-Ab3dE9x;.quillshift-busy01;new.ifs;quillshift-Ab3dE9;");
}

// Another program holds the target open and shares it with nobody: the writer says so, and the
// file and its folder stay as they were.
TEST_F(AtomicFileWriterWindowsTest, FileHeldOpenByAnotherProgramIsReportedAndKept) {
    const std::string path = dir.file("held.ifs");
    writeBytes(path, "precious");
    win32::Handle held(::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    const std::string error =
        testing::errorText([&] { writeFileAtomically(path, "new", IfTargetExists::Replace); });
    EXPECT_EQ(error.rfind("Cannot create file \"" + path + "\". ", 0), 0u) << error;
    EXPECT_NE(error.find("Another program has the file open"), std::string::npos) << error;
    EXPECT_EQ(listFolder(dir.path()), "held.ifs;");
    held.close();
    EXPECT_EQ(readBytes(path), "precious");
}

// Writers that all found the name free: the rename without replacing decides, so exactly one
// succeeds.
TEST_F(AtomicFileWriterWindowsTest, OnlyOneOfSeveralWritersCreatesANewName) {
    const std::string target = dir.file("new.ifs");
    std::vector<std::unique_ptr<AtomicFileWriter>> writers;
    for (int i = 0; i < 8; ++i) {
        writers.push_back(std::make_unique<AtomicFileWriter>(target, IfTargetExists::Fail));
        writers.back()->write("writer " + std::to_string(i));
    }
    int succeeded = 0;
    for (auto& writer : writers) {
        const std::string error = testing::errorText([&] { writer->commit(); });
        succeeded += error == "(no error)";
        EXPECT_TRUE(error == "(no error)" ||
                    error == "Cannot create file \"" + target + "\". The file already exists.")
            << error;
    }
    EXPECT_EQ(succeeded, 1);
    EXPECT_EQ(readBytes(target), "writer 0");
    writers.clear();
    EXPECT_EQ(listFolder(dir.path()), "new.ifs;");
}

TEST_F(AtomicFileWriterWindowsTest, AbandonedWriteLeavesTheTargetAndNoTemporaryFile) {
    const std::string path = dir.file("keep.ifs");
    writeBytes(path, "precious");
    {
        AtomicFileWriter writer(path, IfTargetExists::Replace);
        writer.write(std::string(3 << 20, 'x'));
        EXPECT_EQ(listFolder(dir.path()).size(), std::string("keep.ifs;").size() + 19)
            << "a temporary .quillshift-XXXXXX while writing";
    }
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(listFolder(dir.path()), "keep.ifs;");
}

TEST_F(AtomicFileWriterWindowsTest, CheckRefusesWhatTheWriterWould) {
    writeBytes(dir.file("file"), "x");
    const std::vector<std::pair<std::string, std::string>> cases{
        {dir.file("no\\such\\out.ifs"), win32::errorText(ERROR_PATH_NOT_FOUND)},
        {dir.file("file\\out.ifs"), win32::errorText(ERROR_PATH_NOT_FOUND)},
        {dir.file("out\\"), "No such file or directory"},
        {dir.path() + "\\", "Is a directory"},
        {dir.file("prn.ifs"),
         "It is a device, pipe or socket, not a regular file, so it is not "
         "replaced."},
    };
    for (const auto& [path, reason] : cases) {
        EXPECT_EQ(testing::errorText([&] { AtomicFileWriter::check(path, IfTargetExists::Fail); }),
                  "Cannot create file \"" + path + "\". " + reason)
            << path;
    }
    EXPECT_EQ(testing::errorText(
                  [&] { AtomicFileWriter::check(dir.file("new.ifs"), IfTargetExists::Fail); }),
              "(no error)");
    EXPECT_EQ(listFolder(dir.path()), "file;");
}

}  // namespace
}  // namespace quillshift
