#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "support/ErrorText.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::listFolder;
using testing::readBytes;
using testing::writeBytes;

struct stat statusOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info;
}

mode_t modeOf(const std::string& path) {
    return statusOf(path).st_mode & 07777;
}

// Every case runs with unnamed temporary files and with the named ones used where a file system
// has no unnamed files.
class AtomicFileWriterTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { testing::useNamedTemporaryFiles(GetParam()); }
    void TearDown() override { testing::useNamedTemporaryFiles(false); }
    testing::TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, AtomicFileWriterTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Named" : "Unnamed"; });

TEST_P(AtomicFileWriterTest, WritesNewAndReplacedFiles) {
    const mode_t previous = ::umask(022);
    writeFileAtomically(dir.file("new.ifs"), "data", IfTargetExists::Fail);
    ::umask(previous);
    EXPECT_EQ(readBytes(dir.file("new.ifs")), "data");
    EXPECT_EQ(modeOf(dir.file("new.ifs")), 0644u);

    writeBytes(dir.file("old.ifs"), "old contents that are longer");
    ::chmod(dir.file("old.ifs").c_str(), 0640);
    writeFileAtomically(dir.file("old.ifs"), "new", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(dir.file("old.ifs")), "new");
    EXPECT_EQ(modeOf(dir.file("old.ifs")), 0640u);

    fs::create_symlink("old.ifs", dir.file("link.ifs"));
    writeFileAtomically(dir.file("link.ifs"), "through", IfTargetExists::Replace);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ifs")));
    EXPECT_EQ(readBytes(dir.file("old.ifs")), "through");

    const std::string longName = dir.file(std::string(246, 'n') + ".ifs");  // 250 bytes
    writeFileAtomically(longName, "a", IfTargetExists::Fail);
    writeFileAtomically(longName, "b", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(longName), "b");
    EXPECT_EQ(listFolder(dir.path()),
              "link.ifs;new.ifs;" + fs::path(longName).filename().string() + ";old.ifs;");
}

// Targets that must survive: each row makes one and names the reason the write is refused with.
TEST_P(AtomicFileWriterTest, RefusesTargetsItMayNotReplace) {
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
    const std::string notRegular =
        "It is a device, pipe or socket, not a regular file, so it is not replaced.";
    const std::vector<Case> cases{
        {"existing file", IfTargetExists::Fail, regular, "The file already exists."},
        {"dangling link", IfTargetExists::Fail,
         [](const testing::TempDir& d) {
             fs::create_symlink("nowhere", d.file("dangling.ifs"));
             return d.file("dangling.ifs");
         },
         "The file already exists."},
        {"folder", IfTargetExists::Replace,
         [](const testing::TempDir& d) {
             fs::create_directory(d.file("folder"));
             return d.file("folder");
         },
         "Is a directory"},
        {"pipe", IfTargetExists::Replace,
         [](const testing::TempDir& d) {
             ::mkfifo(d.file("pipe").c_str(), 0644);
             return d.file("pipe");
         },
         notRegular},
        {"link to a pipe", IfTargetExists::Replace,
         [](const testing::TempDir& d) {
             ::mkfifo(d.file("pipe").c_str(), 0644);
             fs::create_symlink("pipe", d.file("to-pipe.ifs"));
             return d.file("to-pipe.ifs");
         },
         notRegular},
        {"socket", IfTargetExists::Replace,
         [](const testing::TempDir& d) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::string path = d.file("socket");
             static_cast<void>(path.copy(address.sun_path, sizeof address.sun_path - 1));
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             static_cast<void>(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
             ::close(fd);
             return path;
         },
         notRegular},
        {"hard-linked file", IfTargetExists::Replace,
         [&](const testing::TempDir& d) {
             fs::create_hard_link(regular(d), d.file("other name.ifs"));
             return d.file("kept.ifs");
         },
         "The file has 2 hard links; replacing it would leave the old contents under its other "
         "names."},
    };
    for (const Case& c : cases) {
        const testing::TempDir scratch;
        const std::string target = c.make(scratch);
        const std::string before = listFolder(scratch.path());
        const struct stat status = statusOf(target);
        EXPECT_EQ(testing::errorText([&] { writeFileAtomically(target, "new", c.ifExists); }),
                  "Cannot create file \"" + target + "\". " + c.reason)
            << c.name;
        EXPECT_EQ(listFolder(scratch.path()), before) << c.name;
        EXPECT_EQ(statusOf(target).st_mode, status.st_mode) << c.name;
        EXPECT_EQ(statusOf(target).st_ino, status.st_ino) << c.name;
    }
}

TEST_P(AtomicFileWriterTest, ReplacingADeviceIsRefusedEvenForRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may make a device node";
    }
    const std::string device = dir.file("null");
    ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_NE(testing::errorText([&] {
                  writeFileAtomically(device, "new", IfTargetExists::Replace);
              }).find("not a regular file"),
              std::string::npos);
    EXPECT_TRUE(S_ISCHR(statusOf(device).st_mode));
}

// Writers that all found the name free: the creation itself decides, so exactly one succeeds.
TEST_P(AtomicFileWriterTest, OnlyOneOfSeveralWritersCreatesANewName) {
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

TEST_P(AtomicFileWriterTest, ReplacingKeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may write a file of another user";
    }
    const std::string path = dir.file("theirs.ifs");
    writeBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), testing::kNobody, testing::kNobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    writeFileAtomically(path, "new", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(statusOf(path).st_uid, testing::kNobody);
    EXPECT_EQ(statusOf(path).st_gid, testing::kNobody);
    EXPECT_EQ(modeOf(path), 0640u);
}

// The process ends in the middle of writing: nothing of the new file may stay behind.
TEST_P(AtomicFileWriterTest, InterruptedWriteLeavesTheTargetAndNoTemporaryFile) {
    const bool named = GetParam();
    const std::string path = dir.file("keep.ifs");
    writeBytes(path, "precious");
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        if (named && signalNumber == SIGKILL) {
            continue;  // nothing can clean up after SIGKILL; only unnamed files vanish
        }
        for (const auto ifExists : {IfTargetExists::Replace, IfTargetExists::Fail}) {
            const std::string target =
                ifExists == IfTargetExists::Replace ? path : dir.file("new.ifs");
            EXPECT_FALSE(testing::runInChild(
                [&] {
                    testing::useNamedTemporaryFiles(named);
                    AtomicFileWriter writer(target, ifExists);
                    writer.write(std::string(3 << 20, 'x'));
                    ::raise(signalNumber);
                    return true;
                },
                false))
                << signalNumber;
            EXPECT_EQ(readBytes(path), "precious") << signalNumber;
            EXPECT_EQ(listFolder(dir.path()), "keep.ifs;") << signalNumber;
        }
    }
}

TEST_P(AtomicFileWriterTest, AbandonedWriteLeavesTheTargetAndNoTemporaryFile) {
    const std::string path = dir.file("keep.ifs");
    writeBytes(path, "precious");
    {
        AtomicFileWriter writer(path, IfTargetExists::Replace);
        writer.write("half of it");
    }
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(listFolder(dir.path()), "keep.ifs;");
}

TEST_P(AtomicFileWriterTest, ReadOnlyFolderFailsWithPermissionDenied) {
    const std::string path = dir.file("existing.ifs");
    writeBytes(path, "precious");
    ::chmod(path.c_str(), 0666);
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_TRUE(testing::runUnprivileged([&] {
        return testing::errorText([&] {
                   writeFileAtomically(path, "new", IfTargetExists::Replace);
               }) == "Cannot create file \"" + path + "\". Permission denied";
    }));
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(listFolder(dir.path()), "existing.ifs;");
}

// A full disk, simulated with a file-size limit: the write fails part way through.
TEST_P(AtomicFileWriterTest, FailedWriteLeavesTheExistingFileUntouched) {
    const std::string path = dir.file("existing.ifs");
    writeBytes(path, "precious");
    EXPECT_TRUE(testing::runInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return testing::errorText([&] {
                       writeFileAtomically(path, std::string(3 << 20, 'x'),
                                           IfTargetExists::Replace);
                   }) == "Cannot create file \"" + path + "\". File too large";
        },
        false));
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(listFolder(dir.path()), "existing.ifs;");
}

}  // namespace
}  // namespace quillshift
