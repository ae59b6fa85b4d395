#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "cli/FileConversion.h"

namespace quillshift::cli {
namespace {

TEST(CliOptions, ParsesBothForms) {
    const CliOptions pair = parseCommandLine({"-nf", "in.ifs", "out.ifs"});
    EXPECT_EQ(pair.mode, RunMode::DryRun);
    EXPECT_TRUE(pair.force);
    EXPECT_FALSE(pair.quiet);
    EXPECT_EQ(pair.inputs, std::vector<std::string>{"in.ifs"});
    EXPECT_EQ(pair.output, "out.ifs");

    const CliOptions batch = parseCommandLine({"-qo", "dir", "a", "--", "-b"});
    EXPECT_TRUE(batch.quiet);
    EXPECT_EQ(batch.outputDir, "dir");
    EXPECT_EQ(batch.inputs, (std::vector<std::string>{"a", "-b"}));

    EXPECT_EQ(parseCommandLine({"--output-dir=d", "a"}).outputDir, "d");
    EXPECT_EQ(parseCommandLine({"-od", "a"}).outputDir, "d");
}

TEST(CliOptions, OverridesApplyInOrder) {
    const CliOptions options =
        parseCommandLine({"--set", "title=First", "--set", "TITLE=Second", "--set",
                          "Comments=", "--set", "Language=pt", "--set", "Site=a=b", "in", "out"});
    ScriptProperties p;
    p.comments = {"harvested"};
    applyOverrides(options.overrides, p);
    EXPECT_EQ(p.title, "Second");
    EXPECT_TRUE(p.comments.empty());
    EXPECT_EQ(p.language, 8u);
    EXPECT_EQ(p.site, "a=b");
}

TEST(CliOptions, FixListsAddUpAndStrictStandsAlone) {
    const CliOptions none = parseCommandLine({"--check", "a"});
    EXPECT_FALSE(none.fix);
    EXPECT_FALSE(none.strict);
    EXPECT_TRUE(none.fixes.empty());

    const CliOptions some = parseCommandLine(
        {"--fix=line-replaced", "--strict", "--fix=rule-overridden,line-replaced", "--check", "a"});
    EXPECT_TRUE(some.fix);
    EXPECT_TRUE(some.strict);
    EXPECT_EQ(some.fixes, (WarningCodeSet{WarningCode::LineReplaced, WarningCode::RuleOverridden}));

    const CliOptions all = parseCommandLine({"--fix=call-continues", "--fix", "--check", "a"});
    EXPECT_EQ(all.fixes, WarningCodeSet::all());

    for (const char* list : {"", ",", "line-replaced,", ",line-replaced", "Line-Replaced"}) {
        EXPECT_THROW(parseWarningCodes(list), UsageError) << list;
    }
    // --fix takes its codes after "=" only: a word after it is an input.
    const CliOptions spaced = parseCommandLine({"--fix", "line-replaced", "--check", "a"});
    EXPECT_EQ(spaced.fixes, WarningCodeSet::all());
    EXPECT_EQ(spaced.inputs, (std::vector<std::string>{"line-replaced", "a"}));
}

TEST(CliOptions, NamesOutputsByTheTemplate) {
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"New {name}", "old.ifs"}, "New old.ifs"},
        {{"{stem}-3.5{ext}", "old.IFS"}, "old-3.5.IFS"},
        {{"{stem}{ext}", "archive.tar.ifs"}, "archive.tar.ifs"},
        {{"{stem}.new", ".hidden"}, ".hidden.new"},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(applyNameTemplate(given.first, given.second), expected) << given.first;
    }
}

}  // namespace
}  // namespace quillshift::cli
