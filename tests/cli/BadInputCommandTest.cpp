// The batch converter given inputs it cannot read and outputs it cannot write: each failure is
// reported with the file's name and the reason, exits with 1, and leaves no file behind, not even
// half of one, and no existing output changed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::listFolder;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;

/// Lowers a soft resource limit of this process, and so of the programs it starts, until the end
/// of the scope.
class ScopedLimit {
public:
    ScopedLimit(int resource, rlim_t value) : resource_(resource) {
        ::getrlimit(resource_, &saved_);
        const rlimit lowered{value, saved_.rlim_max};
        ::setrlimit(resource_, &lowered);
    }
    ~ScopedLimit() { ::setrlimit(resource_, &saved_); }
    ScopedLimit(const ScopedLimit&) = delete;
    ScopedLimit& operator=(const ScopedLimit&) = delete;

private:
    int resource_;
    rlimit saved_{};
};

class BadInputCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(kGolden + "/typical.ifs", dir.file("in.ifs"));
        // Other users may enter the folder and read the script (see runAsNobody).
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    }
    testing::RunResult run(const std::vector<std::string>& arguments) {
        return testing::runProgram(QUILLSHIFT_CONVERT_EXE, arguments, dir.path());
    }
    // Runs the converter as an ordinary user (tests run as root in CI) and checks its result in
    // that child process; the parent only learns whether the check passed.
    bool runAsNobody(const std::vector<std::string>& arguments, int exitCode,
                     const std::string& err) {
        return testing::runUnprivileged([&] {
            const testing::RunResult result = run(arguments);
            if (result.exitCode != exitCode || result.err != err || !result.out.empty()) {
                std::fprintf(stderr, "exit %d\nout: %s\nerr: %s\n", result.exitCode,
                             result.out.c_str(), result.err.c_str());
                return false;
            }
            return true;
        });
    }
    testing::TempDir dir;
};

TEST_F(BadInputCommand, FolderAsInputIsReported) {
    fs::create_directory(dir.file("scripts.ifs"));
    const auto result = run({"scripts.ifs", "out.ifs"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Cannot open file \"scripts.ifs\". Is a directory\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(listFolder(dir.path()), "in.ifs;scripts.ifs;");
}

// Reading /dev/zero never ends; the CPU limit turns a regression into a failure, not a hang.
TEST_F(BadInputCommand, DeviceAsInputIsRefusedAtOnce) {
    testing::RunResult result;
    {
        const ScopedLimit cpu(RLIMIT_CPU, 20);
        result = run({"/dev/zero", "out.ifs"});
    }
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "Cannot open file \"/dev/zero\". It is a device, pipe or socket, not a regular file, "
              "so it is not read as a script.\n");
    EXPECT_EQ(listFolder(dir.path()), "in.ifs;");
}

TEST_F(BadInputCommand, InputWithoutReadPermissionIsReported) {
    ASSERT_EQ(::chmod(dir.file("in.ifs").c_str(), 0200), 0);
    EXPECT_TRUE(
        runAsNobody({"in.ifs", "out.ifs"}, 1, "Cannot open file \"in.ifs\". Permission denied\n"));
    EXPECT_EQ(listFolder(dir.path()), "in.ifs;");
}

TEST_F(BadInputCommand, ReadOnlyOutputFolderKeepsTheExistingFile) {
    fs::create_directory(dir.file("ro"));
    writeBytes(dir.file("ro/out.ifs"), "precious");
    ASSERT_EQ(::chmod(dir.file("ro/out.ifs").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.file("ro").c_str(), 0555), 0);
    EXPECT_TRUE(runAsNobody({"--force", "in.ifs", "ro/out.ifs"}, 1,
                            "Cannot create file \"ro/out.ifs\". Permission denied\n"));
    EXPECT_TRUE(runAsNobody({"-o", "ro", "in.ifs"}, 1,
                            "Cannot create file \"ro/New in.ifs\". Permission denied\n"));
    EXPECT_EQ(readBytes(dir.file("ro/out.ifs")), "precious");
    EXPECT_EQ(listFolder(dir.file("ro")), "out.ifs;");
}

TEST_F(BadInputCommand, OutputThatIsAFolderIsLeftAsItIs) {
    fs::create_directories(dir.file("taken"));
    fs::create_directories(dir.file("out/New in.ifs"));
    writeBytes(dir.file("taken/inside"), "x");
    writeBytes(dir.file("out/New in.ifs/inside"), "y");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"in.ifs", "taken"}, "taken"},
        {{"--force", "in.ifs", "taken"}, "taken"},
        {{"-o", "out", "in.ifs"}, "out/New in.ifs"},
        {{"--force", "-o", "out", "in.ifs"}, "out/New in.ifs"},
    };
    for (const auto& [arguments, output] : cases) {
        const auto result = run(arguments);
        EXPECT_EQ(result.exitCode, 1) << ::testing::PrintToString(arguments);
        EXPECT_EQ(result.err, "Cannot create file \"" + output + "\". Is a directory\n");
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(listFolder(dir.file("taken")), "inside;");
    EXPECT_EQ(listFolder(dir.file("out/New in.ifs")), "inside;");
    EXPECT_EQ(listFolder(dir.path()), "in.ifs;out;taken;");
}

// A full disk, simulated with a file-size limit that the converter inherits: its output is larger
// than the limit, so a write fails part way through.
TEST_F(BadInputCommand, FullDiskKeepsTheExistingOutputAndLeavesNoPart) {
    std::string script = "program Big;\r\n";
    while (script.size() < (1 << 20)) {
        script += "  GetPicture(PicURL, False); DisplayResults;\r\n";
    }
    writeBytes(dir.file("big.ifs"), script);
    writeBytes(dir.file("out.ifs"), "precious");
    testing::RunResult result;
    {
        const ScopedLimit fileSize(RLIMIT_FSIZE, 256 << 10);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        result = run({"--force", "big.ifs", "out.ifs"});
        ::signal(SIGXFSZ, SIG_DFL);
    }
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Cannot create file \"out.ifs\". File too large\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(readBytes(dir.file("out.ifs")), "precious");
    EXPECT_EQ(listFolder(dir.path()), "big.ifs;in.ifs;out.ifs;");
}

}  // namespace
}  // namespace quillshift
