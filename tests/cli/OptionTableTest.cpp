// The option table against what describes the options elsewhere: the manual page and the bash,
// zsh and fish completions name every option of the table, and no other.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "cli/OptionTable.h"
#include "support/TempDir.h"

namespace quillshift::cli {
namespace {

using quillshift::testing::readBytes;

std::set<std::string> matches(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex expression(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
         it != std::sregex_iterator(); ++it) {
        found.insert((*it)[1].str());
    }
    return found;
}

std::set<std::string> longNames() {
    std::set<std::string> names;
    for (const OptionSpec& option : kOptionTable) {
        names.insert(std::string(option.longName));
    }
    return names;
}

std::set<std::string> shortNames() {
    std::set<std::string> names;
    for (const OptionSpec& option : kOptionTable) {
        if (option.shortName != '\0') {
            names.insert(std::string(1, option.shortName));
        }
    }
    return names;
}

TEST(OptionTable, TheManualPageDescribesEveryOptionAndNoOther) {
    const std::string page = readBytes(QUILLSHIFT_SOURCE_DIR "/man/quillshift-convert.1.in");
    const std::string unescaped = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    EXPECT_EQ(matches(unescaped, R"(--([a-z]+(?:-[a-z]+)*))"), longNames());
    // Each option has an entry of its own: ".TP", then its names.
    for (const OptionSpec& option : kOptionTable) {
        std::string name =
            std::regex_replace(std::string(option.longName), std::regex("-"), "\\\\-");
        const std::string entry = option.shortName != '\0'
                                      ? std::string(R"(\n\.TP\n\.BR \\-)") + option.shortName +
                                            R"( ", " \\-\\-)" + name + R"([ \n\[])"
                                      : R"(\n\.TP\n\.BR? \\-\\-)" + name + R"([ \n\[])";
        EXPECT_TRUE(std::regex_search(page, std::regex(entry))) << option.longName;
    }
}

TEST(OptionTable, EachShellCompletesEveryOptionAndNoOther) {
    const std::string folder = QUILLSHIFT_SOURCE_DIR "/data/completion/";
    const std::string bash = readBytes(folder + "quillshift-convert.bash");
    const std::string options = bash.substr(bash.find("compgen -W \"-o --output-dir"));
    EXPECT_EQ(matches(options.substr(0, options.find("\" --")), R"(--([a-z-]+))"), longNames());
    EXPECT_EQ(matches(options.substr(0, options.find("\" --")), R"([\s"]-([a-z0-9])\s)"),
              shortNames());

    const std::string zsh = readBytes(folder + "_quillshift-convert");
    const std::string arguments = zsh.substr(zsh.find("_arguments"));
    EXPECT_EQ(matches(arguments, R"(--([a-z-]+)[\[=,}])"), longNames());
    EXPECT_EQ(matches(arguments, R"(\{-([a-z0-9])[+\-,])"), shortNames());

    const std::string fish = readBytes(folder + "quillshift-convert.fish");
    EXPECT_EQ(matches(fish, R"(\n\$c .*-l ([a-z-]+))"), longNames());
    EXPECT_EQ(matches(fish, R"(\n\$c .*-s ([a-z0-9]) )"), shortNames());
}

}  // namespace
}  // namespace quillshift::cli
