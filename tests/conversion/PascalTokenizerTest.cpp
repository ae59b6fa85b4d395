#include <gtest/gtest.h>

#include <random>

#include "conversion/BodyKeywords.h"
#include "conversion/PascalTokenizer.h"
#include "support/CaseName.h"

namespace quillshift {
namespace {

using State = PascalTokenizer::State;
using Kind = PascalTokenizer::Kind;

// The line with each span's kind written over it: c code, s string, m comment; then "|" and the
// end state (C, B, P).
std::string kinds(std::string_view line, State start) {
    std::vector<PascalTokenizer::Span> spans;
    const State end = PascalTokenizer::split(line, start, spans);
    std::string out;
    std::size_t covered = 0;
    for (const auto& span : spans) {
        EXPECT_EQ(span.begin, covered) << line;
        out.append(span.end - span.begin, span.kind == Kind::Code     ? 'c'
                                          : span.kind == Kind::String ? 's'
                                                                      : 'm');
        covered = span.end;
    }
    EXPECT_EQ(covered, line.size()) << line;
    out += "|";
    out += end == State::Code ? 'C' : end == State::BraceComment ? 'B' : 'P';
    return out;
}

struct SplitCase {
    std::string line;
    State start;
    std::string expected;
};

class PascalSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PascalSplitTest, TellsCodeStringsAndComments) {
    EXPECT_EQ(kinds(GetParam().line, GetParam().start), GetParam().expected);
    const char end = GetParam().expected.back();
    EXPECT_EQ(PascalTokenizer::endState(GetParam().line, GetParam().start),
              end == 'C'   ? State::Code
              : end == 'B' ? State::BraceComment
                           : State::ParenComment);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PascalSplitTest,
    ::testing::Values(SplitCase{"", State::Code, "|C"}, SplitCase{"", State::BraceComment, "|B"},
                      SplitCase{"a := f(x, y);", State::Code, "ccccccccccccc|C"},
                      SplitCase{"s := 'a, (b)';", State::Code, "cccccssssssssc|C"},
                      SplitCase{"x('It''s')", State::Code, "ccsssssssc|C"},
                      SplitCase{"x(\"a'b\")", State::Code, "ccsssssc|C"},
                      SplitCase{"'open", State::Code, "sssss|C"},  // a string ends with its line
                      SplitCase{"a // b { c", State::Code, "ccmmmmmmmm|C"},
                      SplitCase{"a { b } c", State::Code, "ccmmmmmcc|C"},
                      SplitCase{"a { b", State::Code, "ccmmm|B"},
                      SplitCase{"a (* b *) c", State::Code, "ccmmmmmmmcc|C"},
                      SplitCase{"a (* b", State::Code, "ccmmmm|P"},
                      SplitCase{"(*)", State::Code, "mmm|P"},  // "*)" must follow the opener's "*"
                      SplitCase{"{ (* } x", State::Code, "mmmmmmcc|C"},
                      SplitCase{"(* } *) x", State::Code, "mmmmmmmcc|C"},
                      SplitCase{"b } c", State::BraceComment, "mmmcc|C"},
                      SplitCase{"b *) c", State::ParenComment, "mmmmcc|C"},
                      SplitCase{"b } c", State::ParenComment, "mmmmm|P"},
                      SplitCase{"'{' x", State::Code, "ssscc|C"},
                      SplitCase{"'(*' x", State::Code, "sssscc|C"},
                      SplitCase{"x := 2*(3*4)", State::Code, "cccccccccccc|C"},
                      SplitCase{"x := (*y*)z", State::Code, "cccccmmmmmc|C"},
                      SplitCase{"'a'(*", State::Code, "sssmm|P"},
                      SplitCase{"'a(*'", State::Code, "sssss|C"}),
    [](const auto& row) { return testing::caseName(row.index, row.param.line); });

// endState skips the lines that open no comment; it must agree with split everywhere.
TEST(PascalTokenizer, EndStateAgreesWithSplitForRandomLines) {
    const std::string alphabet = "ab (*){}'\"/ *(";
    std::mt19937 random(2112026);
    std::vector<PascalTokenizer::Span> spans;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int i = static_cast<int>(random() % 40); i > 0; --i) {
            line += alphabet[random() % alphabet.size()];
        }
        for (const State start : {State::Code, State::BraceComment, State::ParenComment}) {
            ASSERT_EQ(PascalTokenizer::endState(line, start),
                      PascalTokenizer::split(line, start, spans))
                << line;
        }
    }
}

// The vectorised search for "{" and "*" must see them at every place, block edges included,
// alone or in the same pass as the keywords.
TEST(PascalTokenizer, CommentOpenersAreFoundAtEveryPlace) {
    for (std::size_t length = 0; length < 70; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (const char c : {'{', '*', '}'}) {
                std::string line(length, 'x');
                if (at < length) {
                    line[at] = c;
                }
                const bool expected = at < length && c != '}';
                bool opener = !expected;
                findBodyKeywords(line, opener);
                ASSERT_EQ(opener, expected) << length << " " << at << " " << c;
                ASSERT_EQ(mayOpenComment(line), expected) << length << " " << at << " " << c;
            }
        }
    }
}

}  // namespace
}  // namespace quillshift
