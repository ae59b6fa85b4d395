// The path helpers on the forms each system writes: on Windows backslashes, drives and network
// shares, which are never split.
#include "base/FileLocation.h"
#include "base/Paths.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace quillshift {
namespace {

struct PathCase {
    std::string path;
    std::string folder;              // folderOf
    std::string folderAndSeparator;  // folderWithSeparator
    std::string fileName;            // fileNameOf
    bool absolute;
};

TEST(PathsTest, SplitsFolderAndFileName) {
    // A path from the root of the current drive is not absolute on Windows.
    const bool rootIsAbsolute = paths::kSeparator == '/';
    std::vector<PathCase> cases{
        {"a/b.ifs", "a", "a/", "b.ifs", false},
        {"b.ifs", ".", std::string{'.', paths::kSeparator}, "b.ifs", false},
        {"/b.ifs", "/", "/", "b.ifs", rootIsAbsolute},
        {"/x/y/b.ifs", "/x/y", "/x/y/", "b.ifs", rootIsAbsolute},
        {"a/", "a", "a/", "", false},
    };
#ifdef _WIN32
    const std::vector<PathCase> windows{
        {"C:\\scripts\\old.ifs", "C:\\scripts", "C:\\scripts\\", "old.ifs", true},
        {"C:\\old.ifs", "C:\\", "C:\\", "old.ifs", true},
        {"C:old.ifs", "C:", "C:", "old.ifs", false},
        {"c:/s\\old.ifs", "c:/s", "c:/s\\", "old.ifs", true},
        {"scripts\\old.ifs", "scripts", "scripts\\", "old.ifs", false},
        {"\\old.ifs", "\\", "\\", "old.ifs", false},
        {"\\\\server\\share\\old.ifs", "\\\\server\\share\\", "\\\\server\\share\\", "old.ifs",
         true},
        {"\\\\server\\share\\s\\old.ifs", "\\\\server\\share\\s", "\\\\server\\share\\s\\",
         "old.ifs", true},
    };
    cases.insert(cases.end(), windows.begin(), windows.end());
#else
    // A backslash is part of a name on POSIX systems.
    cases.push_back({"a\\b.ifs", ".", "./", "a\\b.ifs", false});
#endif
    for (const PathCase& c : cases) {
        EXPECT_EQ(paths::folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(paths::folderWithSeparator(c.path), c.folderAndSeparator) << c.path;
        EXPECT_EQ(paths::fileNameOf(c.path), c.fileName) << c.path;
        EXPECT_EQ(paths::isAbsolute(c.path), c.absolute) << c.path;
    }
}

TEST(PathsTest, JoinsWithOneSeparator) {
    const std::string s(1, paths::kSeparator);
    std::vector<std::array<std::string, 3>> cases{
        {"a", "b.ifs", "a" + s + "b.ifs"},
        {"a/", "b.ifs", "a/b.ifs"},
        {"", "b.ifs", s + "b.ifs"},
        {"/", "b.ifs", "/b.ifs"},
    };
#ifdef _WIN32
    cases.push_back({"C:", "b.ifs", "C:b.ifs"});
    cases.push_back({"C:\\", "b.ifs", "C:\\b.ifs"});
    cases.push_back({"C:\\s\\", "b.ifs", "C:\\s\\b.ifs"});
    cases.push_back({"\\\\server\\share", "b.ifs", "\\\\server\\share\\b.ifs"});
#endif
    for (const auto& [folder, name, joined] : cases) {
        EXPECT_EQ(paths::joinPath(folder, name), joined) << folder << " + " << name;
    }
}

TEST(PathsTest, TrailingSeparatorsGoButNotTheRoot) {
    std::vector<std::pair<std::string, std::string>> cases{
        {"/a/b//", "/a/b"}, {"/", "/"}, {"a", "a"}, {"a/", "a"}, {"", ""}};
#ifdef _WIN32
    cases.push_back({"C:\\", "C:\\"});
    cases.push_back({"C:\\a\\/", "C:\\a"});
    cases.push_back({"\\\\server\\share\\", "\\\\server\\share\\"});
#endif
    for (const auto& [path, trimmed] : cases) {
        EXPECT_EQ(paths::withoutTrailingSeparators(path), trimmed) << path;
    }
}

// Links are followed in the folder the user gave, never in the names met below it.
TEST(PathsTest, LocationsFollowOnlyTheFolderTheUserGave) {
    const std::string s(1, paths::kSeparator);
    const std::vector<std::pair<FileLocation, FileLocation>> cases{
        {FileLocation::below("out", "x/a.ifs"), {"out" + s + "x/a.ifs", 3}},
        {FileLocation::below("", "a.ifs"), {"a.ifs", 0}},
        {FileLocation::metAt("t/x/a.ifs"), {"t/x/a.ifs", 3}},
        {FileLocation::metAt("a.ifs"), {"a.ifs", 0}},
    };
    for (const auto& [location, expected] : cases) {
        EXPECT_EQ(location.path, expected.path);
        EXPECT_EQ(location.followedLength, expected.followedLength) << expected.path;
        EXPECT_FALSE(location.followsOwnName()) << expected.path;
    }
    EXPECT_TRUE(FileLocation::given("a.ifs").followsOwnName());
}

}  // namespace
}  // namespace quillshift
