#include <gtest/gtest.h>

#include "cli/ShownText.h"

namespace quillshift::cli {
namespace {

// Names as the report shows them: as they are when every character is printable UTF-8, else
// quoted for the shell with each other byte in octal.
TEST(ShownText, QuotesEveryByteThatIsNotPrintableUtf8) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"plain name.ifs", "plain name.ifs"},
        {"\xC3\xA9t\xC3\xA9.ifs", "\xC3\xA9t\xC3\xA9.ifs"},  // UTF-8
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},            // four bytes, valid
        {"a\nb.ifs", "'a'$'\\n''b.ifs'"},
        {"\x01\x7F", "$'\\001'$'\\177'"},
        {"\xE9t\xE9", "$'\\351''t'$'\\351'"},          // Latin-1
        {"a\xC2\x85", "'a'$'\\302'$'\\205'"},          // C1 control, after an ASCII byte
        {"\xED\xA0\x80", "$'\\355'$'\\240'$'\\200'"},  // a surrogate
        {"\xE0\x80\xAF", "$'\\340'$'\\200'$'\\257'"},  // overlong, three bytes
        {"\xF0\x80\x80\xAF", "$'\\360'$'\\200'$'\\200'$'\\257'"},  // overlong, four bytes
        {"\xF4\x90\x80\x80", "$'\\364'$'\\220'$'\\200'$'\\200'"},  // past U+10FFFF
        {"\xC3(", "$'\\303''('"},                                  // no continuation byte
        {"x\xE2\x82", "'x'$'\\342'$'\\202'"},                      // cut short
        {"it's\t", "'it'\\''s'$'\\t'"},
    };
    for (const auto& [name, shown] : rows) {
        EXPECT_EQ(shownName(name), shown) << ::testing::PrintToString(std::string(name));
    }
    EXPECT_EQ(quotedName("it's a.ifs"), "\"it's a.ifs\"");
    EXPECT_EQ(quotedName("a\rb"), "'a'$'\\r''b'");
}

TEST(ShownText, WritesControlCharactersOfTextInHex) {
    EXPECT_EQ(printableText("\x1B[31mred\x0F\xC2\x9B \xC3\xA9"),
              "\\x1B[31mred\\x0F\\xC2\\x9B \xC3\xA9");
}

}  // namespace
}  // namespace quillshift::cli
