// Files that are not legacy scripts, given to the loader: binary formats, devices, pipes and
// files too large to be scripts.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "conversion/ScriptLoader.h"
#include "support/CaseName.h"
#include "support/ErrorText.h"
#include "support/TempDir.h"
#ifndef _WIN32
#include "support/Unprivileged.h"
#endif

namespace quillshift {
namespace {

using namespace std::string_literals;

struct BinaryCase {
    const char* name;
    std::string bytes;
    std::size_t nulLine;
};

class BinaryFileTest : public ::testing::TestWithParam<BinaryCase> {};

// Every one of these formats holds a NUL byte early on, which marks it as not 8-bit text.
TEST_P(BinaryFileTest, IsRefusedNamingTheLineOfItsFirstNulByte) {
    testing::TempDir dir;
    const std::string path = dir.file(GetParam().name);
    testing::writeBytes(path, GetParam().bytes);
    EXPECT_EQ(testing::errorText([&] { loadScriptFile(path); }),
              "Cannot open file \"" + path + "\". The file contains a NUL byte (line " +
                  std::to_string(GetParam().nulLine) + "); it is not an 8-bit text script.");
}

INSTANTIATE_TEST_SUITE_P(
    Formats, BinaryFileTest,
    ::testing::Values(BinaryCase{"picture.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10"s, 3},
                      BinaryCase{"program.elf",
                                 "\x7f"
                                 "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0"s,
                                 1},
                      BinaryCase{"archive.gz", "\x1f\x8b\x08\0\0\0\0\0\0\x03"s, 1},
                      BinaryCase{"document.pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<<\0>>"s,
                                 4},
                      BinaryCase{"utf16le.ifs", "\xff\xfe{\0\r\0\n\0p\0"s, 1},
                      BinaryCase{"utf16be.ifs", "\xfe\xff\0{\0\r\0\n"s, 1},
                      BinaryCase{"utf16le-without-mark.ifs", "{\0\r\0\n\0"s, 1},
                      BinaryCase{"utf32le.ifs", "\xff\xfe\0\0{\0\0\0"s, 1}),
    [](const auto& row) { return testing::wordsOf(row.param.name); });

// POSIX devices and FIFOs; the Windows device names are in AtomicFileWriterWindowsTest and
// WindowsCommandTest.
#ifndef _WIN32
// /dev/zero never ends, and a pipe without a writer waits for one for ever: each must be
// refused at once.
TEST(BadInputFiles, DevicesAndPipesAreRefusedWithoutReading) {
    testing::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo.ifs").c_str(), 0644), 0);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string pipe = "/dev/fd/" + std::to_string(ends[0]);
    for (const std::string& path : {std::string("/dev/zero"), std::string("/dev/null"),
                                    std::string("/dev/urandom"), dir.file("fifo.ifs"), pipe}) {
        EXPECT_TRUE(testing::runInChild(
            [&] {
                ::alarm(10);  // a read that never ends fails the check instead of hanging
                return testing::errorText([&] { loadScriptFile(path); }) ==
                       "Cannot open file \"" + path +
                           "\". It is a device, pipe or socket, not a regular file.";
            },
            false))
            << path;
    }
    ::close(ends[0]);
    ::close(ends[1]);
}
#endif

// Checked against the file's size before anything is read, so the test reads nothing: the file
// is sparse where the file system allows it. Windows reserves a file's whole length on disk, so
// there the size past 32 bits is the smallest one, not one larger than free disks usually hold.
TEST(BadInputFiles, FileLargerThanTheLimitIsRefusedBeforeReading) {
    testing::TempDir dir;
    const std::string path = dir.file("huge.ifs");
#ifdef _WIN32
    constexpr std::size_t kPast32Bits = (std::size_t{1} << 32) + 1;
#else
    constexpr std::size_t kPast32Bits = std::size_t{1} << 36;
#endif
    // 1 GiB as the refusal names it, not as the constant says: the two must agree.
    for (const std::size_t size : {(std::size_t{1} << 30) + 1, kPast32Bits}) {
        testing::writeBytes(path, "");
        std::filesystem::resize_file(path, size);
        EXPECT_EQ(testing::errorText([&] { readFileBytes(path); }),
                  "Cannot open file \"" + path +
                      "\". The file is larger than 1 GiB, too large to be a script.")
            << size;
    }
}

}  // namespace
}  // namespace quillshift
