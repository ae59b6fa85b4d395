#include "settings/WindowSettings.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsWriteError.h"
#include "support/TempDir.h"
#ifndef _WIN32
#include "support/Unprivileged.h"
#endif

namespace quillshift {
namespace {

using testing::readBytes;
#ifndef _WIN32
using testing::runUnprivileged;
#endif
using testing::TempDir;
using testing::writeBytes;

constexpr ScreenSize kFullHd{1920, 1080};
constexpr const char* kExeFolder = "/opt/quillshift/";

WindowSettings readText(const std::string& text, ScreenSize screen = kFullHd) {
    return WindowSettings::read(IniFile::parse(text), screen, kExeFolder);
}

TEST(WindowSettingsTest, FirstStartIsA800By600WindowCentredOnThePrimaryScreen) {
    TempDir folder;
    const WindowSettings settings =
        WindowSettings::load(folder.file("quillshift.INI"), kFullHd, kExeFolder);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.top, 240);
    EXPECT_EQ(settings.left, 560);
    EXPECT_FALSE(settings.maximized);
    EXPECT_EQ(settings.inputPath, kExeFolder);
}

TEST(WindowSettingsTest, CentringRoundsTowardZero) {
    struct Case {
        ScreenSize screen;
        const char* file;
        int top;
        int left;
    };
    const Case cases[] = {
        {{1367, 769}, "", 84, 283},  // 84.5 and 283.5
        {{701, 501}, "", -49, -49},  // -49.5 both: toward zero, not down
        {{800, 600}, "", 0, 0},
        {{0, 0}, "", -300, -400},
        {{1920, 1080}, "[Form]\nHeight=701\nWidth=901\n", 189, 509},
        {{1920, 1080}, "[Form]\nHeight=-2147483648\nWidth=2147483647\n", 1073742364, -1073740863},
    };
    for (const Case& c : cases) {
        const WindowSettings settings = readText(c.file, c.screen);
        EXPECT_EQ(settings.top, c.top) << c.screen.width << "x" << c.screen.height << " " << c.file;
        EXPECT_EQ(settings.left, c.left)
            << c.screen.width << "x" << c.screen.height << " " << c.file;
    }
}

TEST(WindowSettingsTest, CentringUsesTheSizeJustRead) {
    const WindowSettings settings = readText("[Form]\nHeight=700\nWidth=900\n");
    EXPECT_EQ(settings.top, 190);
    EXPECT_EQ(settings.left, 510);
    // A bad size falls back to its default, and the centring follows the default.
    const WindowSettings bad = readText("[Form]\nHeight=abc\nWidth=0x\nTop=abc\n");
    EXPECT_EQ(bad.height, 600);
    EXPECT_EQ(bad.width, 800);
    EXPECT_EQ(bad.top, 240);
    EXPECT_EQ(bad.left, 560);
}

TEST(WindowSettingsTest, CentringUsesTheSizeThatTheSizeRuleGives) {
    const auto positiveOnly = [](int value, int fallback) { return value > 0 ? value : fallback; };
    const WindowSettings settings = WindowSettings::read(
        IniFile::parse("[Form]\nHeight=-4\nWidth=1000\n"), kFullHd, kExeFolder, positiveOnly);
    EXPECT_EQ(settings.height, 600);
    EXPECT_EQ(settings.width, 1000);
    EXPECT_EQ(settings.top, 240);
    EXPECT_EQ(settings.left, 460);
}

TEST(WindowSettingsTest, ReadsEveryValue) {
    const WindowSettings settings = readText(
        "[Path]\nInput=/home/ann/scripts/\n[Form]\nHeight=700\nWidth=900\nTop=-8\nLeft=12\n"
        "Maximized=7\n");
    WindowSettings expected;
    expected.height = 700;
    expected.width = 900;
    expected.top = -8;
    expected.left = 12;
    expected.maximized = true;
    expected.inputPath = "/home/ann/scripts/";
    EXPECT_EQ(settings, expected);
}

TEST(WindowSettingsTest, InputPathRules) {
    struct Case {
        std::string file;
        std::string expected;
    };
    const Case cases[] = {
        {"[Path]\nInput=\n", ""},
        {"[Path]\n", kExeFolder},
        {"[Form]\nInput=/elsewhere/\n", kExeFolder},
        {"[Path]\nInput=/no/longer/there/\n", "/no/longer/there/"},
        {"[Path]\nInput=" + std::string(3000, 'd') + "\n", std::string(2047, 'd')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readText(c.file).inputPath, c.expected) << c.file.substr(0, 40);
    }
}

TEST(WindowSettingsTest, SaveWritesANewFileInItsOrder) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    WindowSettings settings;
    settings.height = 700;
    settings.width = 900;
    settings.top = -10;
    settings.left = 20;
    settings.inputPath = "/home/ann/scripts/";
    settings.save(path);
    EXPECT_EQ(readBytes(path),
              "[Form]\nHeight=700\nWidth=900\nTop=-10\nLeft=20\nMaximized=0\n\n"
              "[Path]\nInput=/home/ann/scripts/\n");
    EXPECT_EQ(WindowSettings::load(path, kFullHd, kExeFolder), settings);
}

TEST(WindowSettingsTest, MaximisedWindowKeepsTheLastNormalBounds) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");

    // Start, resize to 900x700, close.
    WindowSettings first = WindowSettings::load(path, kFullHd, kExeFolder);
    first.height = 700;
    first.width = 900;
    first.top = 100;
    first.left = 200;
    first.save(path);

    // Start, maximise (the window now covers the screen), close.
    WindowSettings second = WindowSettings::load(path, kFullHd, kExeFolder);
    second.maximized = true;
    second.height = 1080;
    second.width = 1920;
    second.top = 0;
    second.left = 0;
    second.save(path);
    EXPECT_EQ(readBytes(path),
              "[Form]\nHeight=700\nWidth=900\nTop=100\nLeft=200\nMaximized=1\n\n"
              "[Path]\nInput=/opt/quillshift/\n");

    // Start again: maximised, and restoring gives 900x700 where it was.
    const WindowSettings third = WindowSettings::load(path, kFullHd, kExeFolder);
    EXPECT_TRUE(third.maximized);
    EXPECT_EQ(third.height, 700);
    EXPECT_EQ(third.width, 900);
    EXPECT_EQ(third.top, 100);
    EXPECT_EQ(third.left, 200);
}

TEST(WindowSettingsTest, MaximisedAtFirstCloseWritesNoBounds) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    WindowSettings settings;
    settings.maximized = true;
    settings.height = 1080;
    settings.inputPath = "";
    settings.save(path);
    EXPECT_EQ(readBytes(path), "[Form]\nMaximized=1\n\n[Path]\nInput=\n");
    const WindowSettings reread = WindowSettings::load(path, kFullHd, kExeFolder);
    EXPECT_TRUE(reread.maximized);
    EXPECT_EQ(reread.height, 600);
    EXPECT_EQ(reread.top, 240);
    EXPECT_EQ(reread.inputPath, "");
}

TEST(WindowSettingsTest, SaveKeepsCommentsAndUnknownLines) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    writeBytes(path,
               "; written by hand\r\n[Path]\r\nInput=/old/\r\nOutput=/out/\r\n\r\n[Form]\r\n"
               "Height=500\r\nColour=red\r\n\r\n[Crash report]\r\nSend=0\r\n");
    WindowSettings settings = WindowSettings::load(path, kFullHd, kExeFolder);
    settings.width = 1000;
    settings.inputPath = "/new/";
    settings.save(path);
    EXPECT_EQ(readBytes(path),
              "; written by hand\r\n[Path]\r\nInput=/new/\r\nOutput=/out/\r\n\r\n[Form]\r\n"
              "Height=500\r\nColour=red\r\nWidth=1000\r\nTop=290\r\nLeft=560\r\nMaximized=0\r\n"
              "\r\n[Crash report]\r\nSend=0\r\n");
}

TEST(WindowSettingsTest, ValuesRoundTrip) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    WindowSettings cases[4];
    cases[0].inputPath = "/home/ann/My Scripts/";
    cases[1].top = INT_MIN;
    cases[1].left = INT_MAX;
    cases[1].inputPath = " /padded/ ";
    cases[2].inputPath = "\"/quoted/\"";
    cases[3].height = 0;
    cases[3].width = -1;
    cases[3].inputPath = "/caf\xC3\xA9/\xE9t\xE9/";
    for (const WindowSettings& settings : cases) {
        settings.save(path);
        EXPECT_EQ(WindowSettings::load(path, kFullHd, kExeFolder), settings) << readBytes(path);
    }
}

TEST(WindowSettingsTest, InputPathTheFileCannotHoldLeavesTheStoredOneAlone) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    writeBytes(path, "[Path]\nInput=/old/\n");
    WindowSettings settings;
    settings.inputPath = "/odd\nname/";
    settings.save(path);
    const WindowSettings reread = WindowSettings::load(path, kFullHd, kExeFolder);
    EXPECT_EQ(reread.inputPath, "/old/");
    EXPECT_EQ(reread.height, 600);
}

TEST(WindowSettingsTest, SaveCreatesTheConfigurationFolder) {
    TempDir folder;
    const std::string path = folder.file("config/quillshift/quillshift.INI");
    WindowSettings settings;
    settings.save(path);
    EXPECT_EQ(WindowSettings::load(path, kFullHd, kExeFolder), settings);
}

TEST(WindowSettingsTest, UnwritableLocationGivesTheErrorText) {
    TempDir folder;
    writeBytes(folder.file("plain"), "x");
    const std::string paths[] = {
        folder.file("plain/quillshift.INI"),      // folder is a file
        folder.file("plain/sub/quillshift.INI"),  // folder cannot be created
    };
    for (const std::string& path : paths) {
        try {
            WindowSettings().save(path);
            ADD_FAILURE() << "saved to " << path;
        } catch (const SettingsWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
            EXPECT_FALSE(error.reason().empty());
        }
    }
}

TEST(WindowSettingsTest, SettingsFileThatCannotBeReadIsLeftAlone) {
    TempDir folder;
    const std::string path = folder.file("quillshift.INI");
    std::filesystem::create_directory(path);
    EXPECT_EQ(WindowSettings::load(path, kFullHd, kExeFolder).height, 600);
    try {
        WindowSettings().save(path);
        FAIL() << "no error";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

#ifndef _WIN32  // POSIX permissions and XDG_CONFIG_HOME, checked as the user "nobody"
TEST(WindowSettingsTest, ReadOnlyInstallationFolderGivesTheErrorTextAndKeepsTheFile) {
    TempDir folder;
    const std::string installed = folder.file("installed");
    const std::string path = installed + "/quillshift.INI";
    std::filesystem::create_directory(installed);
    const std::string before = "[Form]\nHeight=500\n";
    writeBytes(path, before);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(installed.c_str(), 0555), 0);
    EXPECT_TRUE(runUnprivileged([&] {
        if (WindowSettings::load(path, kFullHd, kExeFolder).height != 500) {
            return false;  // a readable file must still be read
        }
        try {
            WindowSettings().save(path);
        } catch (const SettingsWriteError& error) {
            // The file itself is read-only, which is found first.
            return std::string(error.what()) == "Unable to write to " + path &&
                   error.reason().find("You may not write to it") != std::string::npos;
        }
        return false;
    }));
    EXPECT_EQ(readBytes(path), before);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(installed)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1U);
}

TEST(WindowSettingsTest, InstalledProgramKeepsItsSettingsInTheConfigurationFolder) {
    TempDir folder;
    const std::string installed = folder.file("opt");
    const std::string config = folder.file("config");
    std::filesystem::create_directory(installed);
    std::filesystem::create_directory(config);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(installed.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(config.c_str(), 0777), 0);
    const std::string expected = config + "/quillshift/quillshift.INI";
    EXPECT_TRUE(runUnprivileged([&] {
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        const std::string path =
            SettingsLocation::forSystem(installed + "/quillshift").settingsFilePath();
        if (path != expected) {
            return false;
        }
        WindowSettings settings = WindowSettings::load(path, kFullHd, installed + "/");
        settings.width = 1000;
        settings.save(path);
        return WindowSettings::load(path, kFullHd, installed + "/") == settings;
    }));
    EXPECT_EQ(readBytes(expected),
              "[Form]\nHeight=600\nWidth=1000\nTop=240\nLeft=560\nMaximized=0\n\n"
              "[Path]\nInput=" +
                  installed + "/\n");
    EXPECT_FALSE(std::filesystem::exists(installed + "/quillshift.INI"));
}
#endif

}  // namespace
}  // namespace quillshift
