#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/FileLocation.h"
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
public:
    void SetUp() override { testing::useNamedTemporaryFiles(GetParam()); }
    void TearDown() override { testing::useNamedTemporaryFiles(false); }
    testing::TempDir dir;
};

INSTANTIATE_TEST_SUITE_P(TemporaryFiles, AtomicFileWriterTest, ::testing::Values(false, true),
                         [](const auto& row) { return row.param ? "Named" : "Unnamed"; });

TEST_P(AtomicFileWriterTest, WritesNewAndReplacedFiles) {
    const mode_t previous = ::umask(022);
    writeFileAtomically(dir.file("new.ifs"), "data", IfTargetExists::Fail);
    ::umask(previous);
    EXPECT_EQ(readBytes(dir.file("new.ifs")), "data");
    EXPECT_EQ(modeOf(dir.file("new.ifs")), 0644U);

    writeBytes(dir.file("old.ifs"), "old contents that are longer");
    ::chmod(dir.file("old.ifs").c_str(), 0640);
    errno = EACCES;  // left by an earlier call: only the write check's own failure refuses
    writeFileAtomically(dir.file("old.ifs"), "new", IfTargetExists::Replace);
    EXPECT_EQ(readBytes(dir.file("old.ifs")), "new");
    EXPECT_EQ(modeOf(dir.file("old.ifs")), 0640U);

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
        succeeded += error == "(no error)" ? 1 : 0;
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
    EXPECT_EQ(modeOf(path), 0640U);
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
            // More than the writer buffers: written at once, so write() itself fails.
            return testing::errorText([&] {
                       AtomicFileWriter writer(path, IfTargetExists::Replace);
                       writer.write(std::string(3 << 20, 'x'));
                   }) == "Cannot create file \"" + path + "\". File too large";
        },
        false));
    EXPECT_EQ(readBytes(path), "precious");
    EXPECT_EQ(listFolder(dir.path()), "existing.ifs;");
}

}  // namespace
}  // namespace quillshift

namespace quillshift {
namespace {

// What a replaced file keeps, and what the writer says where it cannot: each row prepares the
// target and checks it after a replace, as root and as nobody where it matters.
TEST(AtomicFileWriterMetadata, KeepsWhatItCanAndSaysWhatItCannot) {
    struct Row {
        const char* name;
        std::function<void(const std::string&)> setUp;  // gets the target
        int failingCalls;                               // errno for the metadata calls, or 0
        std::string note;                               // a note that must be given, or ""
        std::function<bool(const std::string&)> check;  // of the replaced target
    };
    const auto run = [](const char* command, const std::string& path) {
        return std::system((std::string(command) + " '" + path + "' 2>/dev/null").c_str()) == 0;
    };
    const auto output = [](const std::string& command) {
        std::string text;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe)) {
                text += buffer;
            }
            ::pclose(pipe);
        }
        return text;
    };
    const std::vector<Row> rows{
        {"an ACL entry and the group's bits",
         [&](const std::string& p) {
             ::chmod(p.c_str(), 0640);
             run("setfacl -m u:nobody:rw,g::r", p);
         },
         0, "",
         [&](const std::string& p) {
             return output("getfacl -c '" + p + "' 2>/dev/null") ==
                    "user::rw-\nuser:nobody:rw-\ngroup::r--\nmask::rw-\nother::---\n\n";
         }},
        {"extended attributes",
         [&](const std::string& p) { run("setfattr -n user.origin -v cinefiche", p); }, 0, "",
         [&](const std::string& p) {
             return output("getfattr --only-values -n user.origin '" + p + "' 2>/dev/null") ==
                    "cinefiche";
         }},
        {"an ACL on a file system without ACLs: the group gains nothing",
         [&](const std::string& p) {
             ::chmod(p.c_str(), 0660);
             run("setfacl -m u:nobody:rw,g::---", p);
         },
         ENOTSUP, "Its access control list could not be kept (Operation not supported)",
         [&](const std::string& p) { return modeOf(p) == 0600; }},
        {"attributes on a file system without them",
         [&](const std::string& p) { run("setfattr -n user.origin -v x", p); }, ENOTSUP,
         "Its extended attributes could not all be kept", [](const std::string&) { return true; }},
        {"a mode that cannot be set (vfat over FUSE)",
         [](const std::string& p) { ::chmod(p.c_str(), 0640); }, EPERM,
         "Its permissions could not be set to 0640 (Operation not permitted)",
         [&](const std::string& p) { return readBytes(p) == "new"; }},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        const std::string path = dir.file("script.ifs");
        writeBytes(path, "old");
        row.setUp(path);
        testing::failMetadataCalls(row.failingCalls);
        std::vector<std::string> notes;
        {
            AtomicFileWriter writer(path, IfTargetExists::Replace);
            writer.write("new");
            writer.commit();
            notes = writer.notes();
        }
        testing::failMetadataCalls(0);
        EXPECT_EQ(readBytes(path), "new") << row.name;
        EXPECT_TRUE(row.check(path)) << row.name;
        std::string all;
        for (const std::string& note : notes) {
            all += note + "\n";
        }
        if (row.note.empty()) {
            EXPECT_EQ(all, "") << row.name;
        } else {
            EXPECT_NE(all.find(row.note), std::string::npos) << row.name << ": " << all;
        }
        EXPECT_EQ(listFolder(dir.path()), "script.ifs;") << row.name;
    }
}

// Targets the writer may not replace without being told to, and names met during a run that it
// never writes through; each row says what must hold, as root and as nobody.
TEST(AtomicFileWriterRefusals, NotWritableFilesAndLinksMetOnTheWay) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may make a file that belongs to another user";
    }
    const testing::TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string theirs = dir.file("theirs.ifs");
    writeBytes(theirs, "precious");
    ::chmod(theirs.c_str(), 0644);  // root's, read-only for nobody, in a folder nobody may write
    const std::string elsewhere = dir.file("elsewhere.txt");
    writeBytes(elsewhere, "precious");
    ::chmod(elsewhere.c_str(), 0666);
    fs::create_symlink("elsewhere.txt", dir.file("planted.bak"));
    fs::create_directory(dir.file("real"));
    ::chmod(dir.file("real").c_str(), 0777);
    fs::create_directory_symlink(dir.path(), dir.file("swapped"));
    EXPECT_TRUE(testing::runUnprivileged([&] {
        const std::string readOnly = testing::errorText(
            [&] { writeFileAtomically(theirs, "new", IfTargetExists::Replace); });
        const std::string planted = testing::errorText([&] {
            AtomicFileWriter writer(FileLocation::metAt(dir.file("planted.bak")),
                                    IfTargetExists::ReplaceEvenIfNotWritable);
        });
        const std::string throughFolder = testing::errorText([&] {
            AtomicFileWriter writer(FileLocation::below(dir.path(), "swapped/elsewhere.txt"),
                                    IfTargetExists::ReplaceEvenIfNotWritable);
        });
        std::vector<std::string> notes;
        const std::string forced = testing::errorText([&] {
            AtomicFileWriter writer(theirs, IfTargetExists::ReplaceEvenIfNotWritable);
            writer.write("forced");
            writer.commit();
            notes = writer.notes();
        });
        const bool root = ::geteuid() == 0;
        return (root || readOnly == "Cannot create file \"" + theirs + "\". " +
                                        std::string(kNotWritableReason) + " It belongs to root.") &&
               planted.find("It is a symbolic link") != std::string::npos &&
               throughFolder.find("swapped\" is a symbolic link met on the way") !=
                   std::string::npos &&
               forced == "(no error)" &&
               (root || (notes.size() == 1 &&
                         notes[0].starts_with("Its owner and group changed from root:root to")));
    }));
    EXPECT_EQ(readBytes(elsewhere), "precious");
    EXPECT_EQ(readBytes(theirs), "forced");
}

// A run killed between writing and renaming leaves a named temporary file; the next writer in
// that folder removes it, and only such files.
TEST(AtomicFileWriterStaleFiles, RemovesOnlyItsOwnOldTemporaryFiles) {
    const testing::TempDir dir;
    const auto make = [&](const std::string& name, bool old) {
        writeBytes(dir.file(name), "left");
        if (old) {
            const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
            ::utimensat(AT_FDCWD, dir.file(name).c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    };
    make(".quillshift-Ab3dE9", true);    // removed
    make(".quillshift-fresh1", false);   // changed since the run began: perhaps at work
    make(".quillshift-toolong7", true);  // not the writer's pattern
    make(".quillshift-nobody", true);    // another user's: only root can give a file away
    if (::chown(dir.file(".quillshift-nobody").c_str(), testing::kNobody, testing::kNobody) != 0) {
        fs::remove(dir.file(".quillshift-nobody"));
    }
    fs::create_symlink("elsewhere", dir.file(".quillshift-link12"));
    testing::useNamedTemporaryFiles(true);
    AtomicFileWriter writer(dir.file("out.ifs"), IfTargetExists::Fail);
    writer.write("x");
    writer.commit();
    testing::useNamedTemporaryFiles(false);
    ASSERT_EQ(writer.notes().size(), 1U);
    EXPECT_EQ(writer.notes()[0],
              "Removed the temporary file \".quillshift-Ab3dE9\" that an "
              "interrupted run left in \"" +
                  dir.path() + "\".");
    const std::string expected = ::geteuid() == 0 ? ".quillshift-fresh1;.quillshift-link12;"
                                                    ".quillshift-nobody;.quillshift-toolong7;"
                                                    "out.ifs;"
                                                  : "";
    if (::geteuid() == 0) {
        EXPECT_EQ(listFolder(dir.path()), expected);
    }
}

}  // namespace
}  // namespace quillshift
