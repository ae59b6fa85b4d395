// Warnings and repairs of single body lines: a table of lines the rules break (each with the
// warnings it must get and the line its repairs give) and a table of lines the rules convert the
// ordinary way, which must get none.
#include <gtest/gtest.h>

#include <optional>

#include "conversion/LegacyConverter.h"

namespace quillshift {
namespace {

using Lines = std::vector<std::string>;

// `before`, the version message call, then `after`.
std::string withMessage(std::string before, std::string_view after = "") {
    return before
        .append(
            "ShowMessage('This script requires a newer version of Reelvault (at least the "
            "version 3.5.0)')")
        .append(after);
}

// "code@column" for each warning of the last input line, blank-separated.
std::string describe(const std::vector<ConversionWarning>& warnings, std::size_t line) {
    std::string out;
    for (const ConversionWarning& w : warnings) {
        if (w.line == line) {
            out.append(out.empty() ? "" : " ")
                .append(warningCodeName(w.code))
                .append("@")
                .append(std::to_string(w.column));
        }
    }
    return out;
}

struct Checked {
    std::string warnings;
    std::optional<std::string> repair;  // the repaired text, when the line has one
    std::string plain;                  // what the rules alone give
    std::string checked;                // the output when checked without fixes
    std::string fixed;                  // the output with every fix
};

// Converts `context` (body lines before it) and `line` after a program line.
Checked checkLine(const std::string& line, const Lines& context = {}) {
    Lines input{"program T;"};
    input.insert(input.end(), context.begin(), context.end());
    input.push_back(line);
    const std::size_t number = input.size();
    ScriptProperties properties;
    Lines plain;
    Lines checked;
    Lines fixed;
    ConversionNotes notes;
    convertLegacyScript(input, plain, properties);
    convertLegacyScript(input, checked, properties, &notes);
    convertLegacyScript(input, fixed, properties, nullptr, WarningCodeSet::all());
    Checked result{describe(notes.warnings, number), std::nullopt, plain.back(), checked.back(),
                   fixed.back()};
    for (const LineRepair& repair : notes.repairs) {
        if (repair.line == number) {
            result.repair = repair.text;
        }
    }
    return result;
}

struct TrapCase {
    std::string_view name;
    std::string line;
    std::string warnings;
    std::optional<std::string> repaired;  // nullopt: no repair
    Lines context = {};
};

void PrintTo(const TrapCase& c, std::ostream* os) {
    *os << c.line;
}

class TrapLineTest : public ::testing::TestWithParam<TrapCase> {};

TEST_P(TrapLineTest, IsWarnedAndRepairedExactly) {
    const TrapCase& c = GetParam();
    const Checked got = checkLine(c.line, c.context);
    EXPECT_EQ(got.warnings, c.warnings);
    EXPECT_EQ(got.repair, c.repaired);
    EXPECT_EQ(got.checked, got.plain) << "warnings must not change the output";
    EXPECT_EQ(got.fixed, c.repaired.value_or(got.plain));
}

INSTANTIATE_TEST_SUITE_P(
    Traps, TrapLineTest,
    ::testing::Values(
        // GetPicture
        TrapCase{"CommaOfNestedCall",
                 "  GetPicture(TextBetween(Page, '<img src=\"', '\"'), False);",
                 "wrong-argument-split@3", "  GetPicture(TextBetween(Page, '<img src=\"', '\"'));"},
        TrapCase{"CommaInString", "  GetPicture(URL + '?a=1,2', False);", "wrong-argument-split@3",
                 "  GetPicture(URL + '?a=1,2');"},
        TrapCase{"CommaAfterTheCall", "  GetPicture(PicURL); x := Max(a, b);",
                 "wrong-argument-split@3", "  GetPicture(PicURL); x := Max(a, b);"},
        TrapCase{"CloseOfNestedParentheses", "  GetPicture(Url, (Big));", "wrong-argument-split@3",
                 "  GetPicture(Url);"},
        TrapCase{"CloseInString", "  GetPicture(a, 'x)');", "wrong-argument-split@3",
                 "  GetPicture(a);"},
        TrapCase{"CutOnlyInAComment", "  GetPicture(a {first, x)}, b);", "wrong-argument-split@3",
                 "  GetPicture(a {first, x)});"},
        TrapCase{"CheckCutOnlyInAComment", "  if CheckVersion {(x)} (3,4,2) then",
                 "wrong-argument-split@6", "  if CheckVersion {(x)} (3,5,0) then"},
        TrapCase{"CloseInComment", "  GetPicture(a {first}, b (* (x) *));",
                 "wrong-argument-split@3", "  GetPicture(a {first});"},
        TrapCase{"ArgumentsGoOn", "  GetPicture(PicURL,", "call-continues@3", std::nullopt},
        TrapCase{"CutShort", "  GetPicture(Trim(Url), Max(1,", "call-continues@3", std::nullopt},
        TrapCase{"ListOnTheNextLine", "  GetPicture", "call-continues@3", std::nullopt},
        TrapCase{"SecondCall", "  GetPicture(a, b); getpicture(c, d);",
                 "second-call-not-rewritten@21", "  GetPicture(a); getpicture(c);"},
        TrapCase{"LongerName", "  GetPictureFromCache(a, b);", "keyword-in-identifier@3",
                 "  GetPictureFromCache(a, b);"},
        TrapCase{"LongerNameBeforeTheCall", "  MyGetPicture(x); y := f(a, b);",
                 "keyword-in-identifier@5", "  MyGetPicture(x); y := f(a, b);"},
        TrapCase{"InString", "  Log('GetPicture failed, retrying (1)');", "rewrite-in-string@8",
                 "  Log('GetPicture failed, retrying (1)');"},
        TrapCase{"InStringCutsCode", "  Log('GetPicture', 'x');", "rewrite-in-string@8",
                 "  Log('GetPicture', 'x');"},
        TrapCase{"InStringThenCall", "  Log('GetPicture, x'); GetPicture(a, b);",
                 "rewrite-in-string@8 second-call-not-rewritten@25",
                 "  Log('GetPicture, x'); GetPicture(a);"},
        TrapCase{"InCommentCutsCode", "  { GetPicture } x := Max(a, b);", "wrong-argument-split@5",
                 "  { GetPicture } x := Max(a, b);"},
        // DisplayResults
        TrapCase{"StatementAfter", "  begin DisplayResults; end;", "code-commented-out@9",
                 "  begin {DisplayResults}; end;"},
        TrapCase{"ThenElse", "  if Found then DisplayResults else ShowMessage('x');",
                 "code-commented-out@17 dangling-statement@17",
                 "  if Found then {DisplayResults} else ShowMessage('x');"},
        TrapCase{"Else", "  else DisplayResults;", "dangling-statement@8",
                 "  else {DisplayResults};"},
        TrapCase{"DoWithArguments", "  for i := 1 to 3 do DisplayResults();",
                 "dangling-statement@22", "  for i := 1 to 3 do {DisplayResults()};"},
        TrapCase{"CaseLabel", "    'x': DisplayResults;", "dangling-statement@10",
                 "    'x': {DisplayResults};"},
        TrapCase{"ThenAfterComment", "  if Found then { show } displayresults;",
                 "dangling-statement@26", "  if Found then { show } {displayresults};"},
        TrapCase{"CommentGoesOn", "  DisplayResults; { the next lines", "code-commented-out@3",
                 "  {DisplayResults}; { the next lines"},
        TrapCase{"TwoCalls", "  DisplayResults; DisplayResults;", "code-commented-out@3",
                 "  {DisplayResults}; //DisplayResults;"},
        TrapCase{"BraceInArguments", "  DisplayResults('}'); x := 1;", "code-commented-out@3",
                 std::nullopt},
        TrapCase{"LongerNameCommentsOutCode", "  DisplayResultsCount := 0; DisplayResults;",
                 "keyword-in-identifier@3", "  DisplayResultsCount := 0; //DisplayResults;"},
        TrapCase{"InStringThenCallLeftLive", "  ShowMessage('DisplayResults'); DisplayResults;",
                 "rewrite-in-string@16 second-call-not-rewritten@34",
                 "  ShowMessage('DisplayResults'); //DisplayResults;"},
        TrapCase{"InCommentThenCall", "  (* DisplayResults *) DisplayResults;",
                 "second-call-not-rewritten@24", "  (* DisplayResults *) //DisplayResults;"},
        // CheckVersion
        TrapCase{"NestedCallInArguments", "  if not CheckVersion(Major(), 4, 2) then",
                 "wrong-argument-split@10", "  if not CheckVersion(3,5,0) then"},
        TrapCase{"NoArgumentList", "  if not CheckVersion then Exit(1);", "wrong-argument-split@10",
                 "  if not CheckVersion then Exit(1);"},
        TrapCase{"SecondCheck", "  if CheckVersion(3,4,2) or CheckVersion(3,4,3) then",
                 "second-call-not-rewritten@29",
                 "  if CheckVersion(3,5,0) or CheckVersion(3,5,0) then"},
        TrapCase{"CheckInLongerName", "  n := CheckVersionNumber(1, 2);", "keyword-in-identifier@8",
                 "  n := CheckVersionNumber(1, 2);"},
        TrapCase{"CheckInString", "  Log('CheckVersion(3,4,2) failed');", "rewrite-in-string@8",
                 "  Log('CheckVersion(3,4,2) failed');"},
        TrapCase{"CheckGoesOn", "  if not CheckVersion(3,", "call-continues@10", std::nullopt},
        // Several rules on one line
        TrapCase{"GetPictureThrownAway", "  GetPicture(a, b); DisplayResults;", "rule-overridden@3",
                 "  GetPicture(a); //DisplayResults;"},
        TrapCase{"DisplayResultsThrownAway", "  if CheckVersion(3,4,2) then DisplayResults;",
                 "rule-overridden@31", "  if CheckVersion(3,5,0) then {DisplayResults};"},
        TrapCase{"ConditionLost",
                 "  if not CheckVersion(3,4,2) then ShowMessage('This script requires a newer "
                 "version');",
                 "rule-overridden@10 line-replaced@35",
                 withMessage("  if not CheckVersion(3,5,0) then ", ";")},
        // Version message
        TrapCase{"MessageWithoutSemicolon", "    ShowMessage('requires a newer version')",
                 "line-replaced@5", withMessage("    ")},
        TrapCase{"MessageInComment", "  // ShowMessage('requires a newer version');",
                 "line-replaced@6", "  // ShowMessage('requires a newer version');"},
        TrapCase{"MessageInString", "  Log('ShowMessage: requires a newer version');",
                 "line-replaced@8", "  Log('ShowMessage: requires a newer version');"},
        TrapCase{"WordsOnlyInComment", "  ShowMessage(Text); // requires a newer version",
                 "line-replaced@3", "  ShowMessage(Text); // requires a newer version"},
        TrapCase{"MessageGoesOn", "  ShowMessage('requires a newer ' +", "line-replaced@3",
                 std::nullopt},
        TrapCase{"CodeAround", "  begin ShowMessage('Requires a newer version'); Exit; end;",
                 "line-replaced@9", withMessage("  begin ", "; Exit; end;")},
        TrapCase{"CommentClosesOnTheLine",
                 "  old } ShowMessage('requires a newer version');",
                 "line-replaced@9",
                 withMessage("  old } ", ";"),
                 {"  { old check"}},
        TrapCase{"CommentOpensOnTheLine", "  ShowMessage('requires a newer version'); (* the",
                 "line-replaced@3", withMessage("  ", "; (* the")}),
    [](const auto& row) { return std::string(row.param.name); });

struct CleanCase {
    std::string_view name;
    std::string line;
    Lines context = {};
};

void PrintTo(const CleanCase& c, std::ostream* os) {
    *os << c.line;
}

class CleanLineTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanLineTest, GetsNoWarning) {
    const Checked got = checkLine(GetParam().line, GetParam().context);
    EXPECT_EQ(got.warnings, "");
    EXPECT_EQ(got.repair, std::nullopt);
    EXPECT_EQ(got.fixed, got.plain);
}

INSTANTIATE_TEST_SUITE_P(
    Clean, CleanLineTest,
    ::testing::Values(
        CleanCase{"GetPicture", "  GetPicture(PicURL, False);"},
        CleanCase{"GetPictureBlanks", "  getpicture (URL , True) ;"},
        CleanCase{"GetPictureOneArgument", "  GetPicture(PicURL);"},
        CleanCase{"GetPictureNestedCallWithoutComma", "  GetPicture(GetField(fieldURL), False);"},
        CleanCase{"GetPictureThreeArguments", "  x := GETPICTURE(a, b, c) + f(d);"},
        CleanCase{"GetPictureInsideACall", "  f(a, GetPicture(b));"},
        CleanCase{"GetPictureCommaInCommentAfter", "  GetPicture(URL);  // a, b)"},
        CleanCase{"GetPictureCommentSaysMore", "  GetPicture(Url, False); // done, ok)"},
        CleanCase{"GetPictureThenOtherCalls", "  GetPicture(a, b); x := f(c, d);"},
        CleanCase{"GetPictureSecondInComment", "  GetPicture(a, b); { GetPicture(c, d) }"},
        CleanCase{"GetPictureNameInStringThenCall", "  Log('GetPicture'); GetPicture(a, b);"},
        CleanCase{"GetPictureLongerNameThenCall", "  GetPictureURL := u; GetPicture(a, b);"},
        CleanCase{"GetPictureMethod", "  Page.GetPicture(URL, False);"},
        CleanCase{"GetPictureNextToStrings", "  GetPicture('http://x/?a=' + Id, 'b,c');"},
        CleanCase{"DisplayResults", "  DisplayResults;"},
        CleanCase{"DisplayResultsEmptyList", "  DisplayResults();"},
        CleanCase{"DisplayResultsNoSemicolon", "  DisplayResults"},
        CleanCase{"DisplayResultsLowerCase", "  x := 1; displayresults;"},
        CleanCase{"DisplayResultsLineComment", "  DisplayResults; // all done"},
        CleanCase{"DisplayResultsBraceComment", "  DisplayResults; { all done }"},
        CleanCase{"DisplayResultsEmptyStatement", "  DisplayResults;;"},
        CleanCase{"DisplayResultsAfterBegin", "  begin DisplayResults;"},
        CleanCase{
            "DisplayResultsGovernedFromTheLineBefore", "    DisplayResults;", {"  if Found then"}},
        CleanCase{"DisplayResultsInComment", "  { DisplayResults; }"},
        CleanCase{"DisplayResultsInLineComment", "  // DisplayResults; end;"},
        CleanCase{
            "DisplayResultsInCommentOfLinesBefore", "  DisplayResults; end;", {"  { old code:"}},
        CleanCase{"DisplayResultsAfterAssignment", "  Found := True; DisplayResults;"},
        CleanCase{"CheckVersion", "  if not CheckVersion(3,4,2) then"},
        CleanCase{"CheckVersionBlanks", "  if CheckVersion(3, 4, 2) = False then"},
        CleanCase{"CheckVersionBlankBeforeList", "  if not CheckVersion (3,4,2) then begin"},
        CleanCase{"CheckVersionAndExit", "  if not CheckVersion(3,4,2) then Exit;"},
        CleanCase{"CheckVersionCommentAfter", "  if not CheckVersion(3,4,2) then // (x)"},
        CleanCase{"CheckVersionAlreadyNew", "  CheckVersion(3,5,0);"},
        CleanCase{"CheckVersionInComment", "  (* CheckVersion(3,4,2) *)"},
        CleanCase{"CheckVersionNamedAgainInAString",
                  "  if CheckVersion(3,4,2) then Log('CheckVersion(3,4,2)');"},
        CleanCase{"GetPictureNamedInACommentBeforeTheCall", "  { GetPicture } GetPicture(a, b);"},
        CleanCase{"GetPictureCommentInsideTheArguments", "  GetPicture(a {first, x)});"},
        CleanCase{"Message",
                  "    ShowMessage('This script requires a newer version of Reelvault (at least "
                  "the version 3.4.2)');"},
        CleanCase{"MessageShouting", "SHOWMESSAGE('REQUIRES A NEWER VERSION');"},
        CleanCase{"MessageJoined",
                  "  ShowMessage('This script requires a newer ' + 'version (3.4.2)');"},
        CleanCase{"MessageCommentAfter", "  ShowMessage('Requires a newer version'); // tell"},
        CleanCase{"MessageCommentBefore", "  { tell } ShowMessage('requires a newer version');"},
        CleanCase{"MessageEmptyStatement", "  ShowMessage('requires a newer version');;"},
        CleanCase{"OtherMessage", "  ShowMessage('Error, try again (1)');"},
        CleanCase{"CommasInStrings", "  s := 'a, b (c)'; t := \"d, e)\";"},
        CleanCase{"CommentedOutCode", "  // GetPicture(PicURL, False); DisplayResults;"},
        CleanCase{"InsideCommentOfLinesBefore",
                  "  GetPicture(a, 'x)'); CheckVersion(f(1), 2)",
                  {"(* old code", "   still old"}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quillshift
