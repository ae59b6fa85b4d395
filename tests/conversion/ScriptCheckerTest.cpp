// Checks of whole scripts: the header's program line, what carries over from line to line, fixes
// asked for by code, the streaming conversion's warnings, and random scripts through all of it.
#include <gtest/gtest.h>

#include <random>

#include "conversion/BodyRuleMatches.h"
#include "conversion/LegacyConverter.h"
#include "conversion/ScriptChecker.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"

namespace quillshift {
namespace {

using Lines = std::vector<std::string>;

// "line:code@column" for each warning, blank-separated; "!" after a fixed one.
std::string describe(const std::vector<ConversionWarning>& warnings) {
    std::string out;
    for (const ConversionWarning& w : warnings) {
        out.append(out.empty() ? "" : " ")
            .append(std::to_string(w.line))
            .append(":")
            .append(warningCodeName(w.code))
            .append("@")
            .append(std::to_string(w.column))
            .append(w.fixed ? "!" : "");
    }
    return out;
}

struct Converted {
    Lines output;
    ScriptProperties properties;
    ConversionNotes notes;
};

Converted convert(const Lines& input, WarningCodeSet fixes = {}) {
    Converted c;
    convertLegacyScript(input, c.output, c.properties, &c.notes, fixes);
    return c;
}

struct HeaderCase {
    std::string_view name;
    Lines input;
    std::string warnings;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramLineTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(ProgramLineTest, IsWarnedWhenTheRuleMissedIt) {
    EXPECT_EQ(describe(convert(GetParam().input).notes.warnings), GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ProgramLineTest,
    ::testing::Values(
        HeaderCase{"Indented",
                   {"{", "{ T }", "  program Indented;", "begin"},
                   "3:program-line-not-recognised@3 1:no-program-line@1"},
        HeaderCase{"ByteOrderMark",
                   {"\xEF\xBB\xBFprogram Bom;", "begin"},
                   "1:program-line-not-recognised@4 1:no-program-line@1"},
        HeaderCase{"TabArrivedAsBlanks",
                   {"{", "{ T }", "    program Tabbed(input, output);"},
                   "3:program-line-not-recognised@5 1:no-program-line@1"},
        HeaderCase{"ControlByte",
                   {"\x1Aprogram Ctrl // the main one"},
                   "1:program-line-not-recognised@2 1:no-program-line@1"},
        HeaderCase{"NoSemicolon",
                   {"  Program Foo"},
                   "1:program-line-not-recognised@3 1:no-program-line@1"},
        HeaderCase{"LaterRealProgramLine",
                   {"{", "{ T }", " program Foo;", "program Foo;", "begin"},
                   "3:program-line-not-recognised@2"},
        HeaderCase{"HeaderCommentLeftOpen",
                   {"{", "{ Title", "(c) me", "  program Foo;", "begin"},
                   "4:program-line-not-recognised@3 1:no-program-line@1"},
        HeaderCase{"CommentTextInTheHeader",
                   {"{", "{ Title", "  Program Name", "  program Foo(input)", "}", "program Foo;"},
                   ""},
        HeaderCase{"CommentTextInAParenComment",
                   {"(*****", " Title", "  program to import", "*****)", "program Foo;"},
                   ""},
        HeaderCase{"WordsAfterProgram", {"{ T }", "{ T }", "  program by night", "program X;"}, ""},
        HeaderCase{"LongerWord", {"{ T }", "{ T }", "  programme;", "program X;"}, ""},
        HeaderCase{"NoName", {"{ T }", "{ T }", "  program ;", "program X;"}, ""},
        HeaderCase{"Clean", {"{ T }", "{ T }", "program X;", "begin", "end."}, ""},
        HeaderCase{"NoProgramLine", {"{", "{ T", "}"}, "1:no-program-line@1"},
        HeaderCase{"Empty", {}, "1:no-program-line@1"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ScriptChecker, RepairedProgramLineStartsTheBodyThere) {
    const Lines input{"{", "{ Title", "(c) me", "  program Foo;", "(c) later", "begin", "end."};
    const Converted plain = convert(input);
    EXPECT_EQ(plain.output, Lines{});
    EXPECT_EQ(plain.properties.authors, "(c) later");

    const Converted fixed = convert(input, {WarningCode::ProgramLineNotRecognised});
    EXPECT_EQ(fixed.output, (Lines{"  program Foo;", "(c) later", "begin", "end."}));
    EXPECT_EQ(fixed.notes.header.size(), 3U);
    EXPECT_EQ(fixed.notes.bodyRules.size(), 4U);
    EXPECT_EQ(fixed.properties.authors, "(c) me");
    EXPECT_EQ(fixed.properties.title, "Title");
    EXPECT_EQ(describe(fixed.notes.warnings), "4:program-line-not-recognised@3!");

    const Converted otherFix = convert(input, {WarningCode::LineReplaced});
    EXPECT_EQ(otherFix.output, plain.output);
    EXPECT_EQ(describe(otherFix.notes.warnings),
              "4:program-line-not-recognised@3 1:no-program-line@1");
}

TEST(ScriptChecker, BodyStartsOutsideCommentsWhateverTheHeaderLeftOpen) {
    const Converted c = convert({"{ never closed", "{ T", "program X;", "  DisplayResults; end;"});
    EXPECT_EQ(describe(c.notes.warnings), "4:code-commented-out@3");
}

TEST(ScriptChecker, CommentsCarryOverFromLineToLine) {
    const Converted c = convert({"program X;", "(* old:", "  GetPicture(F(a, b), c);",
                                 "  *) GetPicture(F(a, b), c); {", "  DisplayResults; end;", "}",
                                 "  DisplayResults; end;"});
    EXPECT_EQ(describe(c.notes.warnings), "4:wrong-argument-split@6 7:code-commented-out@3");
}

// A caller that checks body lines itself may hand over matchBodyRules(line) as it comes, without
// the look for comment openers: a line that opens a comment still counts as one.
TEST(ScriptChecker, LinesMatchedWithoutTheOpenerLookCarryCommentsOver) {
    ScriptChecker checker;
    std::string scratch;
    std::string found;
    std::size_t number = 0;
    for (const std::string_view line : {"x := 1;", "{ old:", "  GetPicture(F(a, b), c);"}) {
        const BodyRuleMatches matches = matchBodyRules(line);
        checker.checkBodyLine(++number, line, matches, applyStandingRule(line, matches, scratch));
        found += describe(checker.warnings());
    }
    EXPECT_EQ(found, "");
}

// A line is repaired as a whole: only when every repairable warning on it is asked for.
TEST(ScriptChecker, FixesApplyToALineOnlyWhenAllItsCodesAreAskedFor) {
    const Lines input{"program X;",
                      "  if not CheckVersion(3,4,2) then ShowMessage('requires a newer');",
                      "  GetPicture(F(a, b), c);"};
    const std::string repaired =
        "  if not CheckVersion(3,5,0) then ShowMessage('This script requires a newer version of "
        "Reelvault (at least the version 3.5.0)');";
    const Converted plain = convert(input);
    ASSERT_EQ(plain.notes.repairs.size(), 2U);
    EXPECT_EQ(plain.notes.repairs[0].text, repaired);
    EXPECT_EQ(plain.notes.repairs[0].needs,
              (WarningCodeSet{WarningCode::RuleOverridden, WarningCode::LineReplaced}));
    EXPECT_FALSE(plain.notes.repairs[0].applied);

    const Converted partly = convert(input, {WarningCode::LineReplaced});
    EXPECT_EQ(partly.output, plain.output);
    EXPECT_EQ(describe(partly.notes.warnings),
              "2:rule-overridden@10 2:line-replaced@35 3:wrong-argument-split@3");

    const Converted both = convert(input, {WarningCode::LineReplaced, WarningCode::RuleOverridden});
    EXPECT_EQ(both.output[1], repaired);
    EXPECT_EQ(both.output[2], plain.output[2]);
    EXPECT_TRUE(both.notes.repairs[0].applied);
    EXPECT_FALSE(both.notes.repairs[1].applied);
    EXPECT_EQ(describe(both.notes.warnings),
              "2:rule-overridden@10! 2:line-replaced@35! 3:wrong-argument-split@3");
}

TEST(ScriptChecker, CodesHaveTheirNames) {
    const std::vector<std::string_view> names{"no-program-line",
                                              "program-line-not-recognised",
                                              "wrong-argument-split",
                                              "call-continues",
                                              "second-call-not-rewritten",
                                              "keyword-in-identifier",
                                              "rewrite-in-string",
                                              "rule-overridden",
                                              "code-commented-out",
                                              "dangling-statement",
                                              "line-replaced"};
    ASSERT_EQ(allWarningCodes().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(warningCodeName(allWarningCodes()[i]), names[i]);
        EXPECT_EQ(warningCodeFromName(names[i]), allWarningCodes()[i]);
    }
    for (const std::string_view other : {"", "Line-Replaced", "line-replaced ", "line"}) {
        EXPECT_EQ(warningCodeFromName(other), std::nullopt) << other;
    }
}

// The batch converter's warnings: the same as the line lists give, but with columns of the file's
// line, where a tab is one column.
TEST(ScriptChecker, StreamingCountsColumnsInTheFileWithTabs) {
    const std::string bytes =
        "program X;\r\n\tGetPicture(F(a, b), c);\r\n\t\tShowMessage('requires a newer')\r\n"
        "a\tb := 1; DisplayResults; end;\r\n";
    StreamingConversion conversion(bytes, {true, {}});
    std::string written;
    writeConvertedScript(conversion, ScriptSink::into(written));
    EXPECT_EQ(describe(conversion.warnings()),
              "2:wrong-argument-split@2 3:line-replaced@3 4:code-commented-out@11");
    EXPECT_EQ(describe(convert(splitScriptLines(bytes)).notes.warnings),
              "2:wrong-argument-split@5 3:line-replaced@9 4:code-commented-out@14");
    StreamingConversion plain(bytes);
    std::string plainWritten;
    writeConvertedScript(plain, ScriptSink::into(plainWritten));
    EXPECT_EQ(written, plainWritten);
    EXPECT_TRUE(plain.warnings().empty());

    // Each body line comes with its own warnings.
    StreamingConversion lineByLine(bytes, {true, {}});
    StreamingConversion::BodyLine line{};
    std::string perLine;
    while (lineByLine.nextBodyLine(line)) {
        const std::vector<ConversionWarning> own(line.warnings.begin(), line.warnings.end());
        perLine.append(std::to_string(line.lineNumber))
            .append("[")
            .append(describe(own))
            .append("]");
    }
    EXPECT_EQ(perLine,
              "1[]2[2:wrong-argument-split@2]3[3:line-replaced@3]4[4:code-commented-out@11]");
}

TEST(ScriptChecker, StreamingReportsAScriptWithoutBody) {
    const StreamingConversion conversion("{ T\r\n  program X;\r\n\t program Y;\r\n", {true, {}});
    EXPECT_EQ(
        describe(conversion.warnings()),
        "2:program-line-not-recognised@3 3:program-line-not-recognised@3 1:no-program-line@1");
}

// Random scripts of lines that the rules convert the ordinary way and lines they break.
class RandomScripts {
public:
    explicit RandomScripts(unsigned seed) : random_(seed) {}

    // A script's bytes: a few header lines, a program line, then body lines of a few pieces.
    std::string next() {
        const std::string_view end = random_() % 2 == 0 ? "\r\n" : "\n";
        std::string bytes;
        for (int i = static_cast<int>(random_() % 3); i > 0; --i) {
            bytes.append(pick(kHeader)).append(end);
        }
        bytes.append(pick(kProgram)).append(end);
        for (int i = static_cast<int>(random_() % 25); i > 0; --i) {
            bytes.append(random_() % 3 == 0 ? "\t" : "  ");
            for (int j = 1 + static_cast<int>(random_() % 3); j > 0; --j) {
                bytes.append(pick(kPieces));
            }
            bytes.append(end);
        }
        return bytes;
    }

    std::mt19937& random() { return random_; }

private:
    std::string pick(const std::vector<std::string>& from) { return from[random_() % from.size()]; }

    std::mt19937 random_;
    const std::vector<std::string> kHeader{"{", "{ T", "(* x", "*)", "}", "(c) me", "// (EN)"};
    const std::vector<std::string> kProgram{"program X;", "  program X;", "\xEF\xBB\xBFprogram X;",
                                            "program X;", "PROGRAM X;"};
    const std::vector<std::string> kPieces{"GetPicture(a, b);",
                                           "GetPicture(F(a, b), c)",
                                           "GetPicture(",
                                           "GetPicture",
                                           "DisplayResults",
                                           "DisplayResults;",
                                           "CheckVersion(3,4,2)",
                                           "CheckVersion",
                                           "ShowMessage('This script requires a newer version')",
                                           "ShowMessage(",
                                           "'requires a newer'",
                                           "x := 1; ",
                                           "then ",
                                           "else ",
                                           "do ",
                                           "1: ",
                                           "begin ",
                                           "end;",
                                           ";",
                                           ",",
                                           "(",
                                           ")",
                                           "'a, (b)'",
                                           "\"q)\"",
                                           "{ c }",
                                           "{ c",
                                           "}",
                                           "(* c",
                                           "*)",
                                           "// c, d)",
                                           "GetPictureURL",
                                           "'GetPicture'",
                                           "DisplayResultsCount",
                                           " ",
                                           "}x",
                                           "getpicture(u, v)",
                                           "CHECKVERSION (1, 2)"};
};

// Warnings never change what is written; repairs change only lines with a repair, and each such
// line to exactly its repaired text; the batch converter's way gives the same.
TEST(ScriptChecker, RandomScriptsKeepTheirBytesAndChangeOnlyRepairedLines) {
    RandomScripts scripts(2122026);
    std::size_t repairedLines = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = scripts.next();
        const Lines input = splitScriptLines(bytes);
        ScriptProperties plainProperties;
        Lines plain;
        convertLegacyScript(input, plain, plainProperties);
        const Converted checked = convert(input);
        ASSERT_EQ(checked.output, plain) << ::testing::PrintToString(bytes);
        ASSERT_EQ(checked.properties, plainProperties);

        // Every fix but the program line's keeps the header and the number of lines.
        WarningCodeSet fixes;
        for (const WarningCode code : allWarningCodes()) {
            if (code != WarningCode::ProgramLineNotRecognised &&
                (round % 2 == 0 || scripts.random()() % 4 != 0)) {
                fixes.insert(code);
            }
        }
        const Converted fixed = convert(input, fixes);
        ASSERT_EQ(fixed.output.size(), plain.size());
        ASSERT_EQ(fixed.properties, plainProperties);
        ASSERT_EQ(fixed.notes.repairs.size(), checked.notes.repairs.size());
        std::size_t next = 0;
        const std::size_t headerLines = checked.notes.header.size();
        for (std::size_t i = 0; i < plain.size(); ++i) {
            const std::size_t lineNumber = headerLines + i + 1;
            const LineRepair* repair = nullptr;
            if (next < checked.notes.repairs.size() &&
                checked.notes.repairs[next].line == lineNumber) {
                repair = &checked.notes.repairs[next];
                ASSERT_EQ(fixed.notes.repairs[next].text, repair->text);
                ++next;
            }
            const bool applies = repair != nullptr && fixes.containsAll(repair->needs);
            ASSERT_EQ(fixed.output[i], applies ? repair->text : plain[i])
                << ::testing::PrintToString(input[lineNumber - 1]);
            repairedLines += applies ? 1U : 0U;
        }
        ASSERT_EQ(next, checked.notes.repairs.size());
        for (const ConversionWarning& w : checked.notes.warnings) {
            ASSERT_GE(w.line, 1U);
            ASSERT_LE(w.line, std::max<std::size_t>(input.size(), 1));
            ASSERT_GE(w.column, 1U);
            ASSERT_FALSE(w.message.empty());
            ASSERT_FALSE(w.fixed);
            if (w.code == WarningCode::NoProgramLine || w.code == WarningCode::CallContinues) {
                ASSERT_FALSE(w.repairable);
            }
        }

        // The same script converted as the batch converter does it.
        const auto stream = [&](const StreamingConversion::Checks& checks) {
            StreamingConversion conversion(bytes, checks);
            std::string written;
            writeConvertedScript(conversion, ScriptSink::into(written));
            return std::pair{written, conversion.warnings().size()};
        };
        ASSERT_EQ(stream({true, {}}), std::pair(renderOutputScript(plainProperties, plain),
                                                checked.notes.warnings.size()));
        ASSERT_EQ(stream({true, fixes}).first, renderOutputScript(plainProperties, fixed.output));
        ASSERT_EQ(stream({}).second, 0U);
    }
    EXPECT_GT(repairedLines, 1000U) << "the random scripts must exercise the repairs";
}

// With every fix, the program line's too, the streaming conversion and the line lists agree, and
// the body starts at the first program line that either the rule or the fix takes.
TEST(ScriptChecker, RandomScriptsFixedWithTheProgramLineAgreeBothWays) {
    RandomScripts scripts(3122026);
    for (int round = 0; round < 1500; ++round) {
        const std::string bytes = scripts.next();
        const Lines input = splitScriptLines(bytes);
        const Converted fixed = convert(input, WarningCodeSet::all());
        StreamingConversion conversion(bytes, {true, WarningCodeSet::all()});
        std::string written;
        writeConvertedScript(conversion, ScriptSink::into(written));
        ASSERT_EQ(written, renderOutputScript(fixed.properties, fixed.output))
            << ::testing::PrintToString(bytes);
        ASSERT_EQ(fixed.output.size(), input.size() - fixed.notes.header.size());
        ASSERT_FALSE(fixed.output.empty()) << "every random script has a program line";
    }
}

}  // namespace
}  // namespace quillshift
