// The batch converter given inputs it cannot read and outputs it cannot write: each failure is
// reported with the file's name and the reason, exits with 1, and leaves no file behind, not even
// half of one, and no existing output changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

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
const std::string kOneFailed = "0 converted, 0 skipped, 1 failed\n";

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
public:
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
            if (result.exitCode != exitCode || result.err != err ||
                result.out.find(" 0 skipped, 1 failed\n") == std::string::npos) {
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
    EXPECT_EQ(result.err,
              "Cannot open file \"scripts.ifs\". Is a directory; give -r to convert the scripts "
              "in it\n");
    EXPECT_EQ(result.out, kOneFailed);
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
              "Cannot open file \"/dev/zero\". It is a device, pipe or socket, not a regular "
              "file.\n");
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
    EXPECT_TRUE(runAsNobody({"-n", "in.ifs", "ro/new.ifs"}, 1,
                            "Cannot create file \"ro/new.ifs\". Permission denied\n"));
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
        EXPECT_EQ(result.out, kOneFailed);
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
        script += "  GetPicture(PicURL, False);\r\n  DisplayResults;\r\n";
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
    EXPECT_EQ(result.out, kOneFailed);
    EXPECT_EQ(readBytes(dir.file("out.ifs")), "precious");
    EXPECT_EQ(listFolder(dir.path()), "big.ifs;in.ifs;out.ifs;");
}

// Everything in a folder: each entry's kind, and the contents of the regular files.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        const auto status = entry.symlink_status();
        if (fs::is_symlink(status)) {
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        } else if (fs::is_regular_file(status)) {
            entries[name] = readBytes(entry.path().string());
        } else {
            entries[name] = "kind " + std::to_string(static_cast<int>(status.type()));
        }
    }
    return entries;
}

// Runs that must leave every existing file as it was: an output that is one of the inputs, a
// target that is not a regular file, a folder that cannot take the outputs, and names that would
// break the report or reach the terminal as control sequences.
TEST(BadRunCommand, LeavesEveryExistingFileAsItWas) {
    using Folder = const testing::TempDir&;
    const std::string noHeader = kGolden + "/no-header.ifs";
    const std::string notRegular = "It is a device, pipe or socket, not a regular file";
    const std::string usage = "\nTry 'quillshift-convert --help' for more information.\n";
    struct Row {
        const char* name;
        std::function<void(Folder)> setUp;
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
        std::string out = {};
        std::set<std::string> created = {};
    };
    const std::vector<Row> rows{
        {"output is the input",
         {},
         {"--force", "in.ifs", "in.ifs"},
         1,
         "Cannot create file \"in.ifs\". It is an input of this run.\n"},
        {"output is a later input",
         [&](Folder d) {
             fs::create_directory(d.file("d"));
             fs::copy_file(noHeader, d.file("d/x.ifs"));
             fs::copy_file(noHeader, d.file("d/New x.ifs"));
         },
         {"--force", "-o", "d", "d/x.ifs", "d/New x.ifs"},
         1,
         "Cannot create file \"d/New x.ifs\". It is an input of this run.\n",
         "d/New x.ifs -> d/New New x.ifs (5 lines, 2 rewritten)\n",
         {"d/New New x.ifs"}},
        {"output is a later input that is not there yet",
         [&](Folder d) {
             fs::create_directory(d.file("d"));
             fs::copy_file(noHeader, d.file("d/x.ifs"));
         },
         {"-o", "d", "d/x.ifs", "d/New x.ifs"},
         1,
         "Cannot create file \"d/New x.ifs\". It is an input of this run.\n"
         "Cannot open file \"d/New x.ifs\". No such file or directory\n"},
        {"input through a link",
         [](Folder d) { fs::create_symlink("in.ifs", d.file("link.ifs")); },
         {"--force", "in.ifs", "link.ifs"},
         1,
         "Cannot create file \"link.ifs\". It is an input of this run.\n"},
        {"input through ..",
         [](Folder d) { fs::create_directory(d.file("sub")); },
         {"--force", "in.ifs", "sub/../in.ifs"},
         1,
         "Cannot create file \"sub/../in.ifs\". It is an input of this run.\n"},
        {"input through a hard link",
         [](Folder d) { fs::create_hard_link(d.file("in.ifs"), d.file("hard.ifs")); },
         {"--force", "in.ifs", "hard.ifs"},
         1,
         "Cannot create file \"hard.ifs\". It is an input of this run.\n"},
        {"hard-linked output",
         [](Folder d) {
             writeBytes(d.file("other.ifs"), "precious");
             fs::create_hard_link(d.file("other.ifs"), d.file("second name.ifs"));
         },
         {"--force", "in.ifs", "other.ifs"},
         1,
         "Cannot create file \"other.ifs\". The file has 2 hard links; replacing it would leave "
         "the old contents under its other names.\n"},
        {"pipe as output",
         [](Folder d) { ::mkfifo(d.file("pipe").c_str(), 0644); },
         {"--force", "in.ifs", "pipe"},
         1,
         "Cannot create file \"pipe\". " + notRegular + ", so it is not replaced.\n"},
        {"pipe as input",
         [](Folder d) { ::mkfifo(d.file("fifo.ifs").c_str(), 0644); },
         {"fifo.ifs", "out.ifs"},
         1,
         "Cannot open file \"fifo.ifs\". " + notRegular + ".\n"},
        {"missing input beside its output",
         [](Folder d) { writeBytes(d.file("out.ifs"), "precious"); },
         {"gone.ifs", "out.ifs"},
         1,
         "Cannot open file \"gone.ifs\". No such file or directory\n"},
        {"missing output folder",
         {},
         {"-o", "nowhere", "in.ifs", "gone.ifs"},
         2,
         "quillshift-convert: the output folder \"nowhere\" cannot be used: No such file or "
         "directory" +
             usage},
        {"output folder that is a file",
         {},
         {"-o", "in.ifs", "in.ifs"},
         2,
         "quillshift-convert: the output folder \"in.ifs\" is not a folder" + usage},
        {"dry run into a missing folder",
         {},
         {"-n", "in.ifs", "no/out.ifs"},
         1,
         "Cannot create file \"no/out.ifs\". No such file or directory\n"},
        {"dry run onto an existing file",
         [](Folder d) { writeBytes(d.file("out.ifs"), "precious"); },
         {"-n", "in.ifs", "out.ifs"},
         1,
         "Cannot create file \"out.ifs\". The file already exists; use --force to replace it.\n"},
        {"control characters in names",
         [&](Folder d) {
             fs::copy_file(noHeader, d.file("a\nb.ifs"));
             fs::create_directory(d.file("\x1b[31m"));
         },
         {"-o", "\x1b[31m", "a\nb.ifs", "gone\t.ifs"},
         1,
         "Cannot open file 'gone'$'\\t''.ifs'. No such file or directory\n",
         "'a'$'\\n''b.ifs' -> $'\\033''[31m/New a'$'\\n''b.ifs' (5 lines, 2 rewritten)\n",
         {"\x1b[31m/New a\nb.ifs"}},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        fs::copy_file(kGolden + "/typical.ifs", dir.file("in.ifs"));
        if (row.setUp) {
            row.setUp(dir);
        }
        const auto before = snapshot(dir.path());
        const auto result = testing::runProgram(QUILLSHIFT_CONVERT_EXE, row.arguments, dir.path());
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
        // Every report ends with its totals; the rows are about the lines before them.
        const std::size_t totals =
            result.out.rfind('\n', result.out.size() - (result.exitCode != 2 ? 2 : 1));
        EXPECT_EQ(result.exitCode == 2
                      ? result.out
                      : result.out.substr(0, totals == std::string::npos ? 0 : totals + 1),
                  row.out)
            << row.name;
        auto after = snapshot(dir.path());
        for (const std::string& name : row.created) {
            EXPECT_EQ(after.erase(name), 1U) << row.name << ": " << name;
        }
        EXPECT_EQ(after, before) << row.name;
    }
}

// The report is part of the result: when it cannot be written, the run says so and fails, though
// the script itself was converted.
TEST(BadRunCommand, ReportThatCannotBeWrittenFailsTheRun) {
    int closedPipe[2];
    ASSERT_EQ(::pipe(closedPipe), 0);
    ::close(closedPipe[0]);
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    for (const auto& [fd, reason] :
         {std::pair{full, "No space left on device"}, std::pair{closedPipe[1], "Broken pipe"}}) {
        const testing::TempDir dir;
        const auto result = testing::runProgram(
            QUILLSHIFT_CONVERT_EXE, {kGolden + "/no-header.ifs", "out.ifs"}, dir.path(), fd);
        EXPECT_EQ(result.exitCode, 1) << reason;
        EXPECT_EQ(result.err, std::string("quillshift-convert: cannot write to standard output: ") +
                                  reason + "\n");
        EXPECT_EQ(readBytes(dir.file("out.ifs")), readBytes(kGolden + "/no-header.expected"));
    }
    ::close(full);
    ::close(closedPipe[1]);
}

}  // namespace
}  // namespace quillshift
