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

// NAME.warnings lists the warnings of the window's conversion, one "LINE:COLUMN CODE" a line;
// NAME.fixed, where there is one, is the file converted with every fix (else NAME.expected is).
TEST_P(GoldenFileTest, WarnsAndFixesAsRecorded) {
    const std::vector<std::string> lines = loadScriptFile(goldenFile(GetParam() + ".ifs"));
    ScriptProperties properties;
    std::vector<std::string> body;
    ConversionNotes notes;
    convertLegacyScript(lines, body, properties, &notes);
    std::string warnings;
    for (const ConversionWarning& w : notes.warnings) {
        warnings.append(std::to_string(w.line))
            .append(":")
            .append(std::to_string(w.column))
            .append(" ")
            .append(warningCodeName(w.code))
            .append("\n");
    }
    EXPECT_EQ(warnings, testing::readBytes(goldenFile(GetParam() + ".warnings")));

    ScriptProperties fixedProperties;
    std::vector<std::string> fixedBody;
    convertLegacyScript(lines, fixedBody, fixedProperties, nullptr, WarningCodeSet::all());
    const std::string fixed = goldenFile(GetParam() + ".fixed");
    EXPECT_EQ(renderOutputScript(fixedProperties, fixedBody),
              testing::readBytes(fs::exists(fixed) ? fixed : goldenFile(GetParam() + ".expected")));
}

TEST_P(GoldenFileTest, ConvertedOutputIsRecognisedAsConverted) {
    ScriptProperties properties;
    LegacyConverter converter(properties);
    std::string out;
    for (const auto& line : loadScriptFile(goldenFile(GetParam() + ".expected"))) {
        converter.convertLine(line, out);
    }
    EXPECT_EQ(converter.convertedMarkLine(), 3U);
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenFileTest, ::testing::ValuesIn(goldenNames()),
                         [](const auto& row) {
                             std::string name = row.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(GoldenFiles, ThereAreSome) {
    EXPECT_GE(goldenNames().size(), 5U);
}

}  // namespace
}  // namespace quillshift
