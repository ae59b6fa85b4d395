#include <gtest/gtest.h>

#include <functional>

#include "cli/CliOptions.h"
#include "cli/FileConversion.h"

namespace quillshift::cli {
namespace {

// What each command line turns into, as getopt_long reads it: abbreviations, bundles, attached
// and separate values, and the end of the options.
TEST(CliOptions, ReadsTheCommandLineAsGnuToolsDo) {
    struct Row {
        std::vector<std::string> arguments;
        std::function<bool(const CliOptions&)> holds;
    };
    using In = std::vector<std::string>;
    const Row rows[] = {
        {{"--recu", "--ch", "d"}, [](auto& o) { return o.recursive && o.mode == RunMode::Check; }},
        {{"--out", "d", "a"}, [](auto& o) { return o.outputDir == "d"; }},
        {{"--output-dir=d", "a"}, [](auto& o) { return o.outputDir == "d"; }},
        {{"-od", "a"}, [](auto& o) { return o.outputDir == "d"; }},
        {{"-o", "-d", "a"}, [](auto& o) { return o.outputDir == "-d"; }},
        {{"-qo", "dir", "a", "--", "-b", "--force"},
         [](auto& o) {
             return o.quiet && o.inputs == In{"a", "-b", "--force"} && !o.force;
         }},
        {{"--check", "a", "-f", "-", "-i"},
         [](auto& o) {
             return o.force && o.inputs == In{"a", "-"} && o.inPlaceSuffix == ".bak";
         }},
        {{"-ri.orig", "d"}, [](auto& o) { return o.recursive && o.inPlaceSuffix == ".orig"; }},
        {{"-if", "a"}, [](auto& o) { return o.inPlaceSuffix == "f" && !o.force; }},
        {{"--in-place", ".orig", "a"},
         [](auto& o) {
             return o.inPlaceSuffix == ".bak" && o.inputs == In{".orig", "a"};
         }},
        {{"--in-place=.orig", "a"}, [](auto& o) { return o.inPlaceSuffix == ".orig"; }},
        {{"--diff", "--color", "a"}, [](auto& o) { return o.color == ColorChoice::Always; }},
        {{"--diff", "--color=never", "--color=auto", "a"},
         [](auto& o) { return o.color == ColorChoice::Auto; }},
        {{"--diff", "--colo=never", "a"}, [](auto& o) { return o.color == ColorChoice::Never; }},
        {{"--check", "--diff", "a"},
         [](auto& o) { return o.mode == RunMode::Diff && o.check && !o.writesFiles(); }},
        {{"--diff", "--check", "a"}, [](auto& o) { return o.mode == RunMode::Diff && o.check; }},
        {{"--diff", "a"}, [](auto& o) { return o.mode == RunMode::Diff && !o.check; }},
        {{"--check", "--check", "a"}, [](auto& o) { return o.mode == RunMode::Check && o.check; }},
        {{"-n0", "--files-from", "l", "--name-template={stem}", "-o", "d"},
         [](auto& o) {
             return o.mode == RunMode::DryRun && o.nulSeparated && o.filesFrom == "l" &&
                    o.nameTemplate == "{stem}" && o.inputs.empty();
         }},
        {{"--hid", "--foll", "--reco", "-r", "-i", "d"},
         [](auto& o) { return o.hidden && o.followSymlinks && o.reconvert; }},
        {{"--json", "--strict", "--quiet", "-h", "--bad=x"}, nullptr},
        {{"--help", "no", "positional", "check"}, [](auto& o) { return o.help && !o.json; }},
        {{"--vers", "-"}, [](auto& o) { return o.version && !o.help; }},
    };
#ifndef _WIN32
    ::setenv("POSIXLY_CORRECT", "1", 1);  // which must not stop the options at the first input
#endif
    for (const Row& row : rows) {
        const auto name = ::testing::PrintToString(row.arguments);
        if (!row.holds) {
            EXPECT_THROW(parseCommandLine(row.arguments), UsageError) << name;
            continue;
        }
        const CliOptions options = parseCommandLine(row.arguments);
        EXPECT_TRUE(row.holds(options)) << name;
        EXPECT_FALSE(options.json || options.strict) << name;
    }
#ifndef _WIN32
    ::unsetenv("POSIXLY_CORRECT");
#endif
}

TEST(CliOptions, SaysWhatIsWrongWithACommandLine) {
#ifdef _WIN32
    const std::string kNotAFileName =
        "--name-template must give a file name, without \"\\\" or \"/\"";
#else
    const std::string kNotAFileName = "--name-template must give a file name, without \"/\"";
#endif
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{}, "give an INPUT and an OUTPUT script, or -o DIR and inputs"},
        {{"in.ifs"}, "give an INPUT and an OUTPUT script, or -o DIR and inputs"},
        {{"in.ifs", "a.ifs", "b.ifs"}, "too many scripts; to convert several, give -o DIR"},
        {{"-r", "t"}, "say where the scripts go: give -o DIR or --in-place"},
        {{"-r", "-n", "t"}, "say where the scripts go: give -o DIR or --in-place"},
        {{"-o", "d"}, "no input script given"},
        {{"--check", "-", "--files-from=-"}, "standard input can be read only once"},
        {{"-o", "out", "-"},
         "standard input (-) can only be converted to a named OUTPUT or to standard output (-)"},
        {{"-o", "d", "-i", "a"}, "give either -o DIR or --in-place, not both"},
        {{"-o", "", "a"}, "the output folder given with -o is empty"},
        {{"--in-place=", "a"}, "--in-place needs a suffix for the backups, such as .bak"},
        {{"--frobnicate", "a", "b"}, "unknown option --frobnicate"},
        {{"--frob=3", "a", "b"}, "unknown option --frob=3"},
        {{"-nx", "a", "b"}, "unknown option -x"},
        {{"--re", "a", "b"}, "option --re is ambiguous: it could be --reconvert, --recursive"},
        {{"--force=yes", "a", "b"}, "option --force takes no value"},
        {{"--forc=yes", "a", "b"}, "option --force takes no value"},
        {{"--fo", "a", "b"}, "option --fo is ambiguous: it could be --force, --follow-symlinks"},
        {{"a", "-o"}, "option -o needs a value"},
        {{"a", "b", "--set"}, "option --set needs a value"},
        {{"a", "b", "--name-t"}, "option --name-t needs a value"},
        {{"--set", "Colour=red", "a", "b"},
         "unknown field \"Colour\" for --set (use Authors, Title, Description, Site, Version, "
         "Comments or Language)"},
        {{"--set", "Title", "a", "b"}, "--set needs FIELD=VALUE, got \"Title\""},
        {{"--set", "Language=Klingon", "a", "b"},
         "unknown language \"Klingon\" for --set Language (use a code such as EN,FR or a name "
         "such as French)"},
        {{"--set", "Title=a\nb", "a", "b"}, "the value of --set Title must be a single line"},
        {{"--diff", "--color=sometimes", "a"},
         "--color takes auto, always or never, not \"sometimes\""},
        {{"--check", "-n", "a"}, "--dry-run goes with neither --check nor --diff"},
        {{"--diff", "--dry-run", "a"}, "--dry-run goes with neither --check nor --diff"},
        {{"--name-template", "{base}", "-o", "d", "a"},
         "unknown field {base} in --name-template (use {name}, {stem} and {ext})"},
        {{"--name-template", "x{name", "-o", "d", "a"},
         "unknown field {name in --name-template (use {name}, {stem} and {ext})"},
        {{"--name-template", "a/{name}", "-o", "d", "a"}, kNotAFileName},
        {{"--name-template", "..", "-o", "d", "a"}, kNotAFileName},
    };
    for (const auto& [arguments, message] : rows) {
        try {
            parseCommandLine(arguments);
            ADD_FAILURE() << ::testing::PrintToString(arguments) << " was taken";
        } catch (const UsageError& error) {
            EXPECT_EQ(error.what(), message) << ::testing::PrintToString(arguments);
        }
    }
}

TEST(CliOptions, ParsesBothForms) {
    const CliOptions pair = parseCommandLine({"-nf", "in.ifs", "out.ifs"});
    EXPECT_EQ(pair.mode, RunMode::DryRun);
    EXPECT_TRUE(pair.force);
    EXPECT_FALSE(pair.quiet);
    EXPECT_EQ(pair.inputs, std::vector<std::string>{"in.ifs"});
    EXPECT_EQ(pair.output, "out.ifs");
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
    EXPECT_EQ(p.language, 8U);
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
