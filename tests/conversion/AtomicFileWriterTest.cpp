#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "conversion/AtomicFileWriter.h"
#include "conversion/ScriptFileError.h"
#include "support/ErrorText.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace quillshift {
namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(AtomicFileWriter, NewFileGetsTheUsualPermissions) {
    testing::TempDir dir;
    const mode_t previous = ::umask(022);
    writeFileAtomically(dir.file("new.ifs"), "data");
    ::umask(previous);
    EXPECT_EQ(testing::readBytes(dir.file("new.ifs")), "data");
    EXPECT_EQ(modeOf(dir.file("new.ifs")), 0644u);
    EXPECT_EQ(testing::listFolder(dir.path()), "new.ifs;");
}

TEST(AtomicFileWriter, ReplacingKeepsTheOldPermissions) {
    testing::TempDir dir;
    const std::string path = dir.file("old.ifs");
    testing::writeBytes(path, "old contents that are longer");
    ::chmod(path.c_str(), 0640);
    writeFileAtomically(path, "new");
    EXPECT_EQ(testing::readBytes(path), "new");
    EXPECT_EQ(modeOf(path), 0640u);
}

TEST(AtomicFileWriter, WritesThroughASymbolicLink) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("real.ifs"), "old");
    std::filesystem::create_symlink("real.ifs", dir.file("link.ifs"));
    writeFileAtomically(dir.file("link.ifs"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ifs")));
    EXPECT_EQ(testing::readBytes(dir.file("real.ifs")), "new");
}

TEST(AtomicFileWriter, AbandonedWriteLeavesTheTargetAndNoTemporaryFile) {
    testing::TempDir dir;
    const std::string path = dir.file("keep.ifs");
    testing::writeBytes(path, "precious");
    {
        AtomicFileWriter writer(path);
        writer.write("half of it");
    }
    EXPECT_EQ(testing::readBytes(path), "precious");
    EXPECT_EQ(testing::listFolder(dir.path()), "keep.ifs;");
}

TEST(AtomicFileWriter, RefusesAFolderAsTarget) {
    testing::TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    testing::writeBytes(dir.file("folder/inside"), "x");
    EXPECT_EQ(testing::errorText([&] { writeFileAtomically(dir.file("folder"), "data"); }),
              "Cannot create file \"" + dir.file("folder") + "\". Is a directory");
    EXPECT_EQ(testing::readBytes(dir.file("folder/inside")), "x");
    EXPECT_EQ(testing::listFolder(dir.path()), "folder;");
}

TEST(AtomicFileWriter, ReadOnlyFolderFailsWithPermissionDenied) {
    testing::TempDir dir;
    const std::string path = dir.file("existing.ifs");
    testing::writeBytes(path, "precious");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_TRUE(testing::runUnprivileged([&] {
        return testing::errorText([&] { writeFileAtomically(path, "new"); }) ==
               "Cannot create file \"" + path + "\". Permission denied";
    }));
    EXPECT_EQ(testing::readBytes(path), "precious");
    EXPECT_EQ(testing::listFolder(dir.path()), "existing.ifs;");
}

// A full disk, simulated with a file-size limit: the write fails part way through.
TEST(AtomicFileWriter, FailedWriteLeavesTheExistingFileUntouched) {
    testing::TempDir dir;
    const std::string path = dir.file("existing.ifs");
    testing::writeBytes(path, "precious");
    EXPECT_TRUE(testing::runInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return testing::errorText([&] {
                       writeFileAtomically(path, std::string(3 << 20, 'x'));
                   }) == "Cannot create file \"" + path + "\". File too large";
        },
        false));
    EXPECT_EQ(testing::readBytes(path), "precious");
    EXPECT_EQ(testing::listFolder(dir.path()), "existing.ifs;");
}

}  // namespace
}  // namespace quillshift
