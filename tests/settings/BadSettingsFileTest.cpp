// Settings files that the program did not write: garbage, other encodings, odd line ends and sizes
// far outside any screen. Reading never fails (each bad value falls back to its default), and the
// next save keeps every byte the file had.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/IniFile.h"
#include "settings/WindowSettings.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

using namespace std::string_literals;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

constexpr ScreenSize kFullHd{1920, 1080};
constexpr const char* kExeFolder = "/opt/quillshift/";

std::string randomBytes(std::size_t size) {
    std::mt19937 random(2026);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() % 256);
    }
    return bytes;
}

std::string utf16le(std::string_view ascii) {
    std::string out = "\xff\xfe";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct BadFile {
    const char* name;
    std::string bytes;
    int height, width, top, left;
    bool maximized;
    std::string inputPath;
};

// 800x600 centred on the screen, not maximised, the executable's folder.
BadFile defaults(const char* name, std::string bytes) {
    return {name, std::move(bytes), 600, 800, 240, 560, false, kExeFolder};
}

class BadSettingsFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadSettingsFileTest, ReadsWhatItCanAndKeepsEveryByteOnSave) {
    const BadFile& bad = GetParam();
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    writeBytes(path, bad.bytes);

    const WindowSettings read = WindowSettings::load(path, kFullHd, kExeFolder);
    EXPECT_EQ(read.height, bad.height);
    EXPECT_EQ(read.width, bad.width);
    EXPECT_EQ(read.top, bad.top);
    EXPECT_EQ(read.left, bad.left);
    EXPECT_EQ(read.maximized, bad.maximized);
    EXPECT_EQ(read.inputPath, bad.inputPath);

    WindowSettings closing;
    closing.height = 700;
    closing.width = 900;
    closing.top = 10;
    closing.left = 20;
    closing.inputPath = "/home/ann/";
    closing.save(path);
    const std::string saved = readBytes(path);
    if (bad.bytes.find("[Form]") == std::string::npos) {  // nothing of the window's to replace
        EXPECT_EQ(saved.compare(0, bad.bytes.size(), bad.bytes), 0) << saved;
    }
    EXPECT_EQ(WindowSettings::load(path, kFullHd, kExeFolder), closing) << saved;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadSettingsFileTest,
    ::testing::Values(
        defaults("RandomBytes", randomBytes(4096)), defaults("Nuls", std::string(4096, '\0')),
        defaults("Picture", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06"s),
        // Saved as UTF-16 by an editor: no section or key reads as the window's.
        defaults("Utf16", utf16le("[Form]\r\nHeight=700\r\n[Path]\r\nInput=/x/\r\n")),
        // Old Mac line ends: one line, a section "Form" with text after its bracket.
        defaults("CrOnly", "[Form]\rHeight=700\rWidth=900\r"),
        defaults("OneLongLine", "[Form]" + std::string(64 << 10, 'x')),
        defaults("OnlyLineBreaks", std::string(64 << 10, '\n')),
        // Negative sizes are taken as they are; the centring follows them.
        BadFile{"NegativeSizes", "[Form]\nHeight=-600\nWidth=-0x320\nMaximized=-1\n", -600, -800,
                840, 1360, true, kExeFolder},
        // Sizes beyond an int are not numbers: the defaults apply.
        BadFile{"EnormousSizes",
                "[Form]\nHeight=4294967896\nWidth=$FFFFFFFFFF\nTop=1e9\nLeft=-99999999999\n"
                "Maximized=18446744073709551616\n",
                600, 800, 240, 560, false, kExeFolder},
        BadFile{"LargestSizes", "[Form]\nHeight=2147483647\nWidth=-2147483648\n", 2147483647,
                -2147483647 - 1, -1073741283, 1073742784, false, kExeFolder}),
    [](const auto& row) { return std::string(row.param.name); });

// Reading ends a value at its first NUL byte; writing over a value must not leave one in front.
TEST(BadSettingsFileTest, ValueWrittenOverNulBytesReadsBack) {
    const std::string lines[] = {"Input=\0/old/"s, "Input= \0 /old/"s, "Input=\0"s,
                                 "Input=\0\0\0\x02x"s};
    for (const std::string& line : lines) {
        IniFile file = IniFile::parse("[Path]\n" + line + "\n");
        file.writeString("Path", "Input", "/new/");
        EXPECT_EQ(file.readString("Path", "Input", "MISSING"), "/new/")
            << ::testing::PrintToString(line);
    }
}

}  // namespace
}  // namespace quillshift
