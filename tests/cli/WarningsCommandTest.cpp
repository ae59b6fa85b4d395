// The batch converter's warnings and fixes: each row runs one mode or option on a script that the
// rules break in three places and on a clean one, and checks the status, both streams and the
// files written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/Paths.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

const std::string kGolden = QUILLSHIFT_GOLDEN_DIR;
// The output folder as the report names it: "out/" on Linux, "out\" on Windows.
const std::string kOut = std::string("out") + paths::kSeparator;

// Line 5 (a tab, then the call) and line 6 break; no-header.ifs is clean.
const std::string kWarned =
    "{\r\n{ Warned\r\nprogram Warned;\r\nbegin\r\n"
    "\tGetPicture(TextBetween(Page, 'a', 'b'), False);\r\n"
    "  if Found then DisplayResults else ShowMessage('x');\r\n"
    "end.\r\n";

const std::string kSplit =
    ":5:2: warning: The GetPicture rule cut the line at a comma or parenthesis that is not the "
    "call's own (it is inside a nested call or a string, or after the call), so it removed the "
    "wrong text; check the call's arguments. [wrong-argument-split]\n";
const std::string kCommentedOut =
    ":6:17: warning: Code after the DisplayResults call is now inside the // comment and no longer "
    "runs; check the rest of the line. [code-commented-out]\n";
const std::string kDangling =
    ":6:17: warning: DisplayResults was the statement of a then, else, do or case label on this "
    "line; commented out, it leaves the next line's statement governed instead; check the "
    "condition. [dangling-statement]\n";

// The warnings of the broken script, as printed for the file name `file`; "fixed" in place of
// "warning" for those in `fixed`.
std::string warningsOf(const std::string& file, const std::string& fixed = "") {
    std::string out;
    for (const std::string* w : {&kSplit, &kCommentedOut, &kDangling}) {
        std::string line = file + *w;
        const std::string code = line.substr(line.rfind('['));
        if (fixed.find(code.substr(1, code.size() - 3)) != std::string::npos) {
            line.replace(line.find(": warning: "), 11, ": fixed: ");
        }
        out += line;
    }
    return out;
}

// The broken script's body converted by the rules, and repaired.
const std::string kHeaderEnd = "***************************************************)\r\n\r\n";
const std::string kRulesBody =
    "program Warned;\r\nbegin\r\n    GetPicture(TextBetween(Page), False);\r\n"
    "  if Found then //DisplayResults else ShowMessage('x');\r\nend.\r\n";
const std::string kFixedBody =
    "program Warned;\r\nbegin\r\n    GetPicture(TextBetween(Page, 'a', 'b'));\r\n"
    "  if Found then {DisplayResults} else ShowMessage('x');\r\nend.\r\n";

std::string bodyOf(const std::string& converted) {
    const std::size_t at = converted.find(kHeaderEnd);
    return at == std::string::npos ? "" : converted.substr(at + kHeaderEnd.size());
}

struct Row {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
    std::string err;
    std::map<std::string, std::string> bodies = {};  ///< files written, with their bodies
};

TEST(WarningsCommand, EachModeReportsTheWarningsAndFixesOnlyWhenAsked) {
    const std::string cleanBody = bodyOf(readBytes(kGolden + "/no-header.expected"));
    const std::string three = "2 converted, 0 skipped, 0 failed, 3 warnings in 1 file\n";
    const std::string usage = "Try 'quillshift-convert --help' for more information.\n";
    const std::vector<Row> rows{
        {"write: warnings on standard error, counted in the totals",
         {"-o", "out", "w.ifs", "c.ifs"},
         0,
         "w.ifs -> " + kOut + "New w.ifs (5 lines, 2 rewritten)\n" + "c.ifs -> " + kOut +
             "New c.ifs (5 lines, 2 rewritten)\n" + three,
         warningsOf("w.ifs"),
         {{"out/New w.ifs", kRulesBody}, {"out/New c.ifs", cleanBody}}},
        {"a clean script keeps the totals as they were",
         {"-o", "out", "c.ifs"},
         0,
         "c.ifs -> " + kOut +
             "New c.ifs (5 lines, 2 rewritten)\n1 converted, 0 skipped, 0 failed\n",
         ""},
        {"check",
         {"--check", "w.ifs"},
         1,
         "would convert w.ifs\n1 would convert, 0 skipped, 0 failed, 3 warnings in 1 file\n",
         warningsOf("w.ifs")},
        {"dry run",
         {"-n", "w.ifs", "new.ifs"},
         0,
         "Would write \"new.ifs\" from \"w.ifs\":\n  Authors=\n  Title=Warned\n"
         "  Description=Movie importation script for Warned\n  Site=\n  Language=?\n"
         "  Version=\n  Comments=\n"
         "5: GetPicture:     GetPicture(TextBetween(Page, 'a', 'b'), False); ->     "
         "GetPicture(TextBetween(Page), False);\n"
         "6: DisplayResults:   if Found then DisplayResults else ShowMessage('x'); ->   if Found "
         "then //DisplayResults else ShowMessage('x');\n"
         "w.ifs -> new.ifs (5 lines, 2 rewritten; dry run, nothing written)\n"
         "1 would convert, 0 skipped, 0 failed, 3 warnings in 1 file\n",
         warningsOf("w.ifs")},
        {"in place", {"-i", "-q", "w.ifs"}, 0, "", "", {{"w.ifs", kRulesBody}}},
        {"filter: the input is named -",
         {"-", "-"},
         0,
         "",
         warningsOf("-") + "- -> - (5 lines, 2 rewritten)\n" +
             "1 converted, 0 skipped, 0 failed, 3 warnings in 1 file\n"},
        {"strict fails the run but still writes",
         {"--strict", "-q", "-o", "out", "w.ifs", "c.ifs"},
         1,
         "",
         warningsOf("w.ifs"),
         {{"out/New w.ifs", kRulesBody}}},
        {"strict without warnings", {"--strict", "-q", "-o", "out", "c.ifs"}, 0, "", ""},
        {"quiet silences the warnings with the rest",
         {"-q", "-o", "out", "w.ifs"},
         0,
         "",
         "",
         {{"out/New w.ifs", kRulesBody}}},
        {"fix repairs every warned line",
         {"--fix", "--strict", "-o", "out", "w.ifs"},
         0,
         "w.ifs -> " + kOut + "New w.ifs (5 lines, 2 rewritten)\n" +
             "1 converted, 0 skipped, 0 failed, 3 fixed in 1 file\n",
         warningsOf("w.ifs", "wrong-argument-split code-commented-out dangling-statement"),
         {{"out/New w.ifs", kFixedBody}}},
        {"a line is fixed only with every code it needs",
         {"--fix=code-commented-out,wrong-argument-split", "-o", "out", "w.ifs"},
         0,
         "w.ifs -> " + kOut + "New w.ifs (5 lines, 2 rewritten)\n" +
             "1 converted, 0 skipped, 0 failed, 2 warnings in 1 file, 1 fixed in 1 file\n",
         warningsOf("w.ifs", "wrong-argument-split"),
         {{"out/New w.ifs",
           "program Warned;\r\nbegin\r\n    GetPicture(TextBetween(Page, 'a', 'b'));\r\n"
           "  if Found then //DisplayResults else ShowMessage('x');\r\nend.\r\n"}}},
        {"quiet fixes say nothing; strict counts what is left",
         {"--fix=dangling-statement,code-commented-out", "--strict", "-q", "-o", "out", "w.ifs"},
         1,
         "",
         "w.ifs" + kSplit},
        {"an unknown code is a usage error",
         {"--fix=line-replaced,no-such-code", "-o", "out", "w.ifs"},
         2,
         "",
         "quillshift-convert: unknown warning code \"no-such-code\" for --fix (the codes are "
         "no-program-line, program-line-not-recognised, wrong-argument-split, call-continues, "
         "second-call-not-rewritten, keyword-in-identifier, rewrite-in-string, rule-overridden, "
         "code-commented-out, dangling-statement, line-replaced)\n" +
             usage},
        {"an empty list is a usage error",
         {"--fix=", "--check", "w.ifs"},
         2,
         "",
         "quillshift-convert: --fix= needs warning codes separated by commas (the codes are "
         "no-program-line, program-line-not-recognised, wrong-argument-split, call-continues, "
         "second-call-not-rewritten, keyword-in-identifier, rewrite-in-string, rule-overridden, "
         "code-commented-out, dangling-statement, line-replaced)\n" +
             usage},
    };
    for (const Row& row : rows) {
        const testing::TempDir dir;
        writeBytes(dir.file("w.ifs"), kWarned);
        fs::copy_file(kGolden + "/no-header.ifs", dir.file("c.ifs"));
        fs::create_directory(dir.file("out"));
        // The filter reads w.ifs on its standard input and writes the script to its output.
        const bool filter = row.arguments == std::vector<std::string>{"-", "-"};
        const auto result = testing::runProgram(QUILLSHIFT_CONVERT_EXE, row.arguments, dir.path(),
                                                -1, 60, filter ? dir.file("w.ifs") : std::string());
        EXPECT_EQ(result.exitCode, row.exitCode) << row.name << "\n" << result.err;
        EXPECT_EQ(filter ? "" : result.out, row.out) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
        if (filter) {
            EXPECT_EQ(bodyOf(result.out), kRulesBody) << row.name;
        }
        for (const auto& [name, body] : row.bodies) {
            EXPECT_EQ(bodyOf(readBytes(dir.file(name))), body) << row.name << ": " << name;
        }
    }
}

TEST(WarningsCommand, DiffShowsTheRepairedConversionOnlyWithFix) {
    const testing::TempDir dir;
    writeBytes(dir.file("w.ifs"), kWarned);
    const auto plain = testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"--diff", "w.ifs"}, dir.path());
    EXPECT_NE(plain.out.find("\n+  if Found then //DisplayResults else"), std::string::npos);
    EXPECT_EQ(plain.err,
              warningsOf("w.ifs") + "1 would convert, 0 skipped, 0 failed, 3 warnings in 1 file\n");
    const auto fixed =
        testing::runProgram(QUILLSHIFT_CONVERT_EXE, {"--diff", "--fix", "w.ifs"}, dir.path());
    EXPECT_NE(fixed.out.find("\n-\tGetPicture(TextBetween(Page, 'a', 'b'), False);\r\n"
                             "-  if Found then DisplayResults else ShowMessage('x');\r\n"
                             "+    GetPicture(TextBetween(Page, 'a', 'b'));\r\n"
                             "+  if Found then {DisplayResults} else ShowMessage('x');\r\n"
                             " end.\r\n"),
              std::string::npos)
        << fixed.out;
    EXPECT_EQ(fixed.err,
              warningsOf("w.ifs", "wrong-argument-split code-commented-out dangling-statement") +
                  "1 would convert, 0 skipped, 0 failed, 3 fixed in 1 file\n");
}

TEST(WarningsCommand, JsonGivesEachFileItsWarningsAndWhetherFixed) {
    const testing::TempDir dir;
    writeBytes(dir.file("w.ifs"), kWarned);
    fs::copy_file(kGolden + "/no-header.ifs", dir.file("c.ifs"));
    const auto plain = testing::runProgram(QUILLSHIFT_CONVERT_EXE,
                                           {"--json", "--check", "w.ifs", "c.ifs"}, dir.path());
    EXPECT_EQ(plain.err, "");
    EXPECT_NE(plain.out.find(R"(      "warnings": [
        {
          "line": 5,
          "column": 2,
          "code": "wrong-argument-split",
          "message": "The GetPicture rule cut)"),
              std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find(R"("status": "would-convert",
      "bodyLines": 5,)"),
              std::string::npos);
    EXPECT_EQ(plain.out.find("\"fixed\""), std::string::npos);
    EXPECT_NE(plain.out.find("      \"warnings\": []\n    }\n  ],"), std::string::npos)
        << "the clean file has an empty list";
    EXPECT_NE(plain.out.find("\"failed\": 0,\n    \"warnings\": 3\n  }"), std::string::npos);

    const auto fixed = testing::runProgram(
        QUILLSHIFT_CONVERT_EXE, {"--json", "--check", "--fix=wrong-argument-split", "w.ifs"},
        dir.path());
    EXPECT_NE(fixed.out.find("\"code\": \"wrong-argument-split\",\n          \"message\": \"The "
                             "GetPicture rule cut the line at a comma or parenthesis that is not "
                             "the call's own (it is inside a nested call or a string, or after the "
                             "call), so it removed the wrong text; check the call's arguments.\",\n"
                             "          \"fixed\": true"),
              std::string::npos)
        << fixed.out;
    EXPECT_NE(fixed.out.find("\"fixed\": false"), std::string::npos);
    EXPECT_NE(fixed.out.find("\"warnings\": 2,\n    \"fixed\": 1\n  }"), std::string::npos);
}

}  // namespace
}  // namespace quillshift
