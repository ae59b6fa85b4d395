#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

namespace fs = std::filesystem;

// Each golden/NAME.ifs is a legacy script; NAME.expected is the converted file, byte for byte.
std::vector<std::string> goldenNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(QUILLSHIFT_GOLDEN_DIR)) {
        if (entry.path().extension() == ".ifs") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string goldenFile(const std::string& name) {
    return std::string(QUILLSHIFT_GOLDEN_DIR) + "/" + name;
}

// What the window does: load, clear the properties, convert, write.
std::string convertLikeTheWindow(const std::string& path) {
    ScriptProperties properties;
    std::vector<std::string> body;
    convertLegacyScript(loadScriptFile(path), body, properties);
    return renderOutputScript(properties, body);
}

class GoldenFileTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenFileTest, ConvertsToTheExpectedBytes) {
    const std::string expected = testing::readBytes(goldenFile(GetParam() + ".expected"));
    ASSERT_FALSE(expected.empty()) << "missing " << GetParam() << ".expected";
    EXPECT_EQ(convertLikeTheWindow(goldenFile(GetParam() + ".ifs")), expected);
}

TEST_P(GoldenFileTest, ConvertedOutputIsRecognisedAsConverted) {
    ScriptProperties properties;
    LegacyConverter converter(properties);
    std::string out;
    for (const auto& line : loadScriptFile(goldenFile(GetParam() + ".expected"))) {
        converter.convertLine(line, out);
    }
    EXPECT_EQ(converter.convertedMarkLine(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenFileTest, ::testing::ValuesIn(goldenNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(GoldenFiles, ThereAreSome) {
    EXPECT_GE(goldenNames().size(), 5u);
}

}  // namespace
}  // namespace quillshift
