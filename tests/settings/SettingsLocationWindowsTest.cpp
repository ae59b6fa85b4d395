// Where the settings file lives on Windows: beside the program, or in %APPDATA% when the program's
// folder takes no new files (as Program Files for a user who is not an administrator).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "settings/SettingsLocation.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

using testing::TempDir;

SettingsLocation locationFor(const std::string& executable,
                             const std::map<std::string, std::string>& environment, bool writable) {
    SettingsLocation location;
    location.executablePath = executable;
    location.environment = [=](const std::string& name) -> std::optional<std::string> {
        const auto found = environment.find(name);
        return found == environment.end() ? std::nullopt : std::optional(found->second);
    };
    location.isWritableFolder = [=](const std::string&) { return writable; };
    location.fileExists = [](const std::string&) { return false; };
    return location;
}

TEST(SettingsLocationWindowsTest, BesideTheProgramOrInTheApplicationData) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        bool writable;
        std::string expected;
    };
    const std::string exe = "C:\\Program Files\\Quillshift\\Quillshift.exe";
    const std::string beside = "C:\\Program Files\\Quillshift\\Quillshift.INI";
    const std::vector<Case> cases{
        {"writable folder", {{"APPDATA", "C:\\Users\\ann\\AppData\\Roaming"}}, true, beside},
        {"installed",
         {{"APPDATA", "C:\\Users\\ann\\AppData\\Roaming"}},
         false,
         "C:\\Users\\ann\\AppData\\Roaming\\quillshift\\quillshift.INI"},
        {"trailing separator",
         {{"APPDATA", "D:\\Roaming\\"}},
         false,
         "D:\\Roaming\\quillshift\\quillshift.INI"},
        {"network share",
         {{"APPDATA", "\\\\server\\profiles\\ann"}},
         false,
         "\\\\server\\profiles\\ann\\quillshift\\quillshift.INI"},
        {"drive-relative", {{"APPDATA", "C:Roaming"}}, false, beside},
        {"XDG is not Windows'",
         {{"XDG_CONFIG_HOME", "C:\\cfg"}, {"HOME", "C:\\ann"}},
         false,
         beside},
        {"nothing set", {}, false, beside},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(locationFor(exe, c.environment, c.writable).settingsFilePath(), c.expected)
            << c.name;
    }
}

TEST(SettingsLocationWindowsTest, FolderIsWritableAndCreateFolderFor) {
    TempDir folder;
    EXPECT_TRUE(SettingsLocation::folderIsWritable(folder.path()));
    EXPECT_TRUE(SettingsLocation::folderIsWritable(folder.path() + "\\"));
    EXPECT_FALSE(SettingsLocation::folderIsWritable(folder.file("missing")));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "the probe file is gone";

    const std::string file = folder.path() + "\\cfg\\quillshift\\quillshift.INI";
    EXPECT_EQ(SettingsLocation::createFolderFor(file), "");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "\\cfg\\quillshift"));
    EXPECT_EQ(SettingsLocation::createFolderFor(file), "");  // already there
}

}  // namespace
}  // namespace quillshift
