#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace quillshift {
namespace {

using testing::runUnprivileged;
using testing::TempDir;
using testing::writeBytes;

TEST(SettingsLocationTest, BesideExecutableReplacesOnlyTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"quillshift", "quillshift.INI"},
        {"/opt/quillshift/quillshift", "/opt/quillshift/quillshift.INI"},
        {"/a.b/quillshift", "/a.b/quillshift.INI"},
        {"/x.y/z.w/quillshift", "/x.y/z.w/quillshift.INI"},
        {"/x/Quillshift.exe", "/x/Quillshift.INI"},
        {"/x/Quillshift-x86_64.AppImage", "/x/Quillshift-x86_64.INI"},
        {"/x/q.tar.gz", "/x/q.tar.INI"},
        {"/x/name.", "/x/name.INI"},
        {"/x/.hidden", "/x/.hidden.INI"},
        {"./quillshift", "./quillshift.INI"},
    };
    for (const auto& [executable, expected] : cases) {
        EXPECT_EQ(SettingsLocation::besideExecutable(executable), expected) << executable;
    }
}

// A location whose environment and writable folders are given by the test.
struct FakeSystem {
    std::map<std::string, std::string> environment;
    std::vector<std::string> writableFolders;
    std::vector<std::string> existingFiles;
    std::vector<std::string> probed;

    SettingsLocation location(std::string executable) {
        SettingsLocation result;
        result.executablePath = std::move(executable);
        result.environment = [this](const std::string& name) -> std::optional<std::string> {
            const auto found = environment.find(name);
            if (found == environment.end()) {
                return std::nullopt;
            }
            return found->second;
        };
        result.isWritableFolder = [this](const std::string& folder) {
            probed.push_back(folder);
            return std::find(writableFolders.begin(), writableFolders.end(), folder) !=
                   writableFolders.end();
        };
        result.fileExists = [this](const std::string& path) {
            return std::find(existingFiles.begin(), existingFiles.end(), path) !=
                   existingFiles.end();
        };
        return result;
    }
};

TEST(SettingsLocationTest, WritableExecutableFolderHoldsTheFile) {
    FakeSystem system;
    system.environment = {{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/home/ann/cfg"}};
    system.writableFolders = {"/home/ann/apps/q.d/"};
    EXPECT_EQ(system.location("/home/ann/apps/q.d/quillshift").settingsFilePath(),
              "/home/ann/apps/q.d/quillshift.INI");
    EXPECT_EQ(system.probed, std::vector<std::string>{"/home/ann/apps/q.d/"});
}

TEST(SettingsLocationTest, InstalledProgramUsesTheConfigurationFolderEvenWhenWritable) {
    FakeSystem system;
    system.environment = {{"HOME", "/root"}};
    system.writableFolders = {"/usr/bin/"};
    system.existingFiles = {"/usr/bin/../share/applications/org.reelvault.Quillshift.desktop"};
    EXPECT_EQ(system.location("/usr/bin/quillshift").settingsFilePath(),
              "/root/.config/quillshift/quillshift.INI");
}

TEST(SettingsLocationTest, UnwritableExecutableFolderFallsBackToTheConfigurationFolder) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        const char* expected;
    };
    const Case cases[] = {
        {"XdgSet",
         {{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/home/ann/cfg"}},
         "/home/ann/cfg/quillshift/quillshift.INI"},
        {"XdgTrailingSlashes",
         {{"XDG_CONFIG_HOME", "/home/ann/cfg//"}},
         "/home/ann/cfg/quillshift/quillshift.INI"},
        {"XdgRoot", {{"XDG_CONFIG_HOME", "/"}}, "/quillshift/quillshift.INI"},
        {"XdgUnset", {{"HOME", "/home/ann"}}, "/home/ann/.config/quillshift/quillshift.INI"},
        {"XdgEmpty",
         {{"HOME", "/home/ann/"}, {"XDG_CONFIG_HOME", ""}},
         "/home/ann/.config/quillshift/quillshift.INI"},
        {"XdgRelative",
         {{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "cfg"}},
         "/home/ann/.config/quillshift/quillshift.INI"},
        {"NothingUsable", {{"HOME", ""}}, "/opt/q/quillshift.INI"},
        {"HomeRelative", {{"HOME", "ann"}}, "/opt/q/quillshift.INI"},
        {"EmptyEnvironment", {}, "/opt/q/quillshift.INI"},
    };
    for (const Case& c : cases) {
        FakeSystem system;
        system.environment = c.environment;
        EXPECT_EQ(system.location("/opt/q/quillshift").settingsFilePath(), c.expected) << c.name;
    }
}

TEST(SettingsLocationTest, UnknownExecutableUsesTheConfigurationFolder) {
    FakeSystem system;
    system.environment = {{"HOME", "/home/ann"}};
    system.writableFolders = {"./"};
    EXPECT_EQ(system.location("").settingsFilePath(),
              "/home/ann/.config/quillshift/quillshift.INI");
    FakeSystem bare;
    EXPECT_EQ(bare.location("").settingsFilePath(), "quillshift.INI");
}

TEST(SettingsLocationTest, MissingLookupsCountAsNothingUsable) {
    SettingsLocation location;
    location.executablePath = "/opt/q/quillshift";
    EXPECT_EQ(location.settingsFilePath(), "/opt/q/quillshift.INI");
    EXPECT_EQ(SettingsLocation().settingsFilePath(), "quillshift.INI");
}

TEST(SettingsLocationTest, FileToReadIsTheOwnOneElseTheOneBesideTheProgram) {
    const std::string own = "/home/ann/.config/quillshift/quillshift.INI";
    const std::string beside = "/usr/bin/quillshift.INI";
    struct Case {
        const char* name;
        std::vector<std::string> existing;
        std::string expected;
    };
    const Case cases[] = {
        {"Both", {own, beside}, own},
        {"OnlyBeside", {beside}, beside},
        {"Neither", {}, own},
    };
    for (const Case& c : cases) {
        FakeSystem system;
        system.environment = {{"HOME", "/home/ann"}};
        system.existingFiles = c.existing;
        EXPECT_EQ(system.location("/usr/bin/quillshift").settingsFileToRead(), c.expected)
            << c.name;
    }
    SettingsLocation withoutProbes;
    withoutProbes.executablePath = "/opt/q/quillshift";
    EXPECT_EQ(withoutProbes.settingsFileToRead(), "/opt/q/quillshift.INI");
}

TEST(SettingsLocationTest, SystemLocationUsesTheRealFolder) {
    TempDir folder;
    const std::string executable = folder.file("quillshift");
    EXPECT_EQ(SettingsLocation::forSystem(executable).settingsFilePath(),
              folder.file("quillshift.INI"));
}

TEST(SettingsLocationTest, FolderIsWritable) {
    TempDir folder;
    writeBytes(folder.file("plain"), "x");
    EXPECT_TRUE(SettingsLocation::folderIsWritable(folder.path()));
    EXPECT_TRUE(SettingsLocation::folderIsWritable(folder.path() + "/"));
    EXPECT_FALSE(SettingsLocation::folderIsWritable(folder.file("missing")));
    EXPECT_FALSE(SettingsLocation::folderIsWritable(folder.file("plain/")));
}

TEST(SettingsLocationTest, PermissionsDecideWhetherAFolderIsWritable) {
    TempDir folder;
    const std::string open = folder.file("open");
    const std::string installed = folder.file("installed");
    std::filesystem::create_directory(open);
    std::filesystem::create_directory(installed);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(installed.c_str(), 0555), 0);
    EXPECT_TRUE(runUnprivileged([&] { return SettingsLocation::folderIsWritable(open); }));
    EXPECT_TRUE(runUnprivileged([&] { return !SettingsLocation::folderIsWritable(installed); }));
}

TEST(SettingsLocationTest, CreateFolderForMakesMissingFolders) {
    TempDir folder;
    const std::string file = folder.file("cfg/quillshift/quillshift.INI");
    EXPECT_EQ(SettingsLocation::createFolderFor(file), "");
    struct stat info {};
    ASSERT_EQ(::stat(folder.file("cfg/quillshift").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700U);
    EXPECT_EQ(SettingsLocation::createFolderFor(file), "");  // already there
    EXPECT_EQ(SettingsLocation::createFolderFor("relative.INI"), "");
}

TEST(SettingsLocationTest, CreateFolderForSaysWhichFolderFailed) {
    TempDir folder;
    writeBytes(folder.file("plain"), "x");
    const std::string problem = SettingsLocation::createFolderFor(folder.file("plain/q/x.INI"));
    EXPECT_NE(problem.find(folder.file("plain/q")), std::string::npos) << problem;
    EXPECT_NE(problem.find("Not a directory"), std::string::npos) << problem;
    const std::string notFolder = SettingsLocation::createFolderFor(folder.file("plain/x.INI"));
    EXPECT_NE(notFolder.find("is not a folder"), std::string::npos) << notFolder;
}

}  // namespace
}  // namespace quillshift
