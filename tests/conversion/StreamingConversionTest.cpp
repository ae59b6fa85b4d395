#include <gtest/gtest.h>

#include <random>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"

namespace quillshift {
namespace {

std::string convertWithLineLists(std::string_view bytes) {
    ScriptProperties properties;
    std::vector<std::string> body;
    convertLegacyScript(splitScriptLines(bytes), body, properties);
    return renderOutputScript(properties, body);
}

std::string convertStreaming(std::string_view bytes) {
    StreamingConversion conversion(bytes);
    std::string written;
    writeConvertedScript(conversion, ScriptSink::into(written));
    return written;
}

TEST(StreamingConversion, WritesWhatTheLineListsGiveOnRandomScripts) {
    const std::vector<std::string> pieces{"program X;",
                                          "PROGRAM\t",
                                          "  program",
                                          "{ Title",
                                          "(c) me",
                                          "(EN,FR)",
                                          "(de)",
                                          "http://a.example/x y",
                                          "*******",
                                          "********",
                                          "This program is free",
                                          "\t",
                                          " ",
                                          "GetPicture(a, b);",
                                          "DisplayResults;",
                                          "CheckVersion(3,4,2)",
                                          "ShowMessage('requires a newer')",
                                          "[Infos]",
                                          "\xE9\x80",
                                          "\tGetPicture(\ta\t,\tb\t);",
                                          "Check\tVersion(\t)",
                                          "CheckVersion(\t3,4)",
                                          "ShowMessage('requires\ta newer')",
                                          "ShowMessage('requires a newer\t')",
                                          "\r",
                                          "\n",
                                          "\r\n",
                                          "\n\r"};
    std::mt19937 random(8122026);
    for (int round = 0; round < 3000; ++round) {
        std::string script;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            script += pieces[random() % pieces.size()];
        }
        ASSERT_EQ(convertStreaming(script), convertWithLineLists(script))
            << ::testing::PrintToString(script);
    }
}

// Body lines keep their tabs, so that a line of many tabs is never held expanded; the raw view
// holds the line's terminator, whatever it is.
TEST(StreamingConversion, BodyLinesKeepTheirTabsAndShowTheirBytes) {
    const std::string script = "{\t\r\n{ T\tx\nPROGRAM\tA;\r  GetPicture(a,\tb);\n\r\tx\r\n";
    StreamingConversion conversion(script);
    EXPECT_EQ(conversion.properties().title, "T    x");
    std::vector<std::string> seen;
    StreamingConversion::BodyLine line{};
    while (conversion.nextBodyLine(line)) {
        seen.push_back(std::string(line.before) + "|" + std::string(line.after) + "|" +
                       std::string(line.raw) + "|" + (line.tabs ? "tabs" : "none"));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"PROGRAM\tA;|PROGRAM\tA;|PROGRAM\tA;\r|tabs",
                                              "  GetPicture(a,\tb);|  GetPicture(a);|"
                                              "  GetPicture(a,\tb);\n|tabs",
                                              "||\r|none", "\tx|\tx|\tx\r\n|tabs"}));
    EXPECT_EQ(convertStreaming(script), convertWithLineLists(script));
}

TEST(StreamingConversion, ReportsLineNumbersAndRules) {
    StreamingConversion conversion("{\r\n{ T\r\n(c) me\r\nprogram A;\r\n  DisplayResults;\r\nend.");
    EXPECT_EQ(conversion.properties().authors, "(c) me");
    std::vector<std::string> seen;
    StreamingConversion::BodyLine line{};
    while (conversion.nextBodyLine(line)) {
        seen.push_back(std::to_string(line.lineNumber) + " " +
                       std::string(bodyRuleName(line.rule)) + " " + std::string(line.before) +
                       " > " + std::string(line.after));
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"4  program A; > program A;",
                                        "5 DisplayResults   DisplayResults; >   //DisplayResults;",
                                        "6  end. > end."}));
    EXPECT_FALSE(conversion.nextBodyLine(line));
}

}  // namespace
}  // namespace quillshift
