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
