// Cost against size for inputs of unusual shape: each shape is run at 1/8, 1/4, 1/2 and the whole
// of its size. The counter time_per_byte stays level across the four sizes when the cost is linear
// and grows with the size when it is not; Google Benchmark also fits the times to O(N) in bytes
// (the _BigO and _RMS rows). The window's way (line lists) and the batch converter's (streaming,
// plain and checked with every fix) are measured separately, each from the bytes of the file to
// the bytes of the converted file.
// Times on a shared machine also move with the load, the caches and the memory allocator's state;
// bench/linear_cost_instructions.sh counts instructions instead, which none of those move.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"
#include "settings/IniFile.h"
#include "settings/WindowSettings.h"

namespace {

using namespace quillshift;

constexpr std::size_t kMillion = 1000000;

std::string repeat(std::string_view piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out.append(piece);
    }
    return out;
}

// Each shape builds a script from n units; the benchmark's whole size is the n given below.
using Shape = std::string (*)(std::size_t n);

// 10 MB on one line without any keyword, before and after the program line.
std::string singleLongLine(std::size_t n) {
    return "program X;\r\n" + std::string(n, 'x');
}
std::string singleLongHeaderLine(std::size_t n) {
    return "{\r\n{ Title\r\n" + std::string(n, 'x');
}
// 1M empty lines, with each kind of line end.
std::string emptyCrLfLines(std::size_t n) {
    return "program X;\r\n" + repeat("\r\n", n);
}
std::string emptyLfCrLines(std::size_t n) {
    return "program X;\n" + repeat("\n\r", n);  // every LF CR is two breaks
}
std::string emptyCrLines(std::size_t n) {
    return "program X;\r" + repeat("\r", n);
}
// 1M header lines that are all kept as comments (no program line at all).
std::string headerCommentLines(std::size_t n) {
    return "{\r\n{ Title\r\n" + repeat(" * A comment line of the header (EN) *\r\n", n);
}
// 1M header lines that each hit a different rule: language tag, authors, site, boilerplate.
std::string headerMixedLines(std::size_t n) {
    return "{\r\n{ Title\r\n" +
           repeat(
               " * (FR)\r\n (c) me\r\n http://a.example/ x\r\n This program is free\r\n"
               " ********\r\n",
               n / 5);
}
// GetPicture followed by 1M commas and no closing parenthesis.
std::string getPictureCommas(std::size_t n) {
    return "program X;\r\n  GetPicture(" + std::string(n, ',');
}
// CheckVersion followed by 1M opening parentheses and no closing one.
std::string checkVersionParentheses(std::size_t n) {
    return "program X;\r\n  CheckVersion" + std::string(n, '(');
}
// ShowMessage followed by 1M near-misses of "requires a newer".
std::string showMessageNearMisses(std::size_t n) {
    return "program X;\r\nShowMessage(" + repeat("requires a newe", n / 15);
}
// One line that is nothing but the first letters of the keywords, which the keyword search
// checks one by one.
std::string keywordPrefixes(std::size_t n) {
    return "program X;\r\n" + repeat("getpicturdisplayresultcheckversioshowmessag", n / 43);
}
// 1M tabs on one line (each becomes four blanks).
std::string tabs(std::size_t n) {
    return "program X;\r\n" + std::string(n, '\t');
}
// 1M body lines that each hit every rule.
std::string everyRuleLines(std::size_t n) {
    return "program X;\r\n" +
           repeat(
               "GetPicture(a, b); DisplayResults; CheckVersion(3,4,2); ShowMessage('requires a "
               "newer')\r\n",
               n);
}

// 1M calls nested in each other's arguments on one line, and their closing parentheses.
std::string nestedCalls(std::size_t n) {
    return "program X;\r\n" + repeat("GetPicture(", n / 12) + repeat(", x)", n / 12);
}
// 1M calls on one line, each warned about and repaired.
std::string manyCallsOnALine(std::size_t n) {
    return "program X;\r\n" + repeat("GetPicture(F(a, b), c); DisplayResults; ", n / 40);
}
// 1M version messages on one line that none closes, the words only at the end.
std::string openMessages(std::size_t n) {
    return "program X;\r\n" + repeat("ShowMessage(", n / 12) + "'requires a newer'";
}
// 1M body lines that open and close comments over lines, each with a call inside and outside.
std::string commentsOverLines(std::size_t n) {
    return "program X;\r\n" +
           repeat("{ GetPicture(a, b)\r\n} GetPicture(F(a, b), c); (* DisplayResults\r\n*)\r\n",
                  n / 3);
}

void countBytes(benchmark::State& state, std::size_t bytes) {
    state.SetComplexityN(static_cast<std::int64_t>(bytes));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["time_per_byte"] = benchmark::Counter(
        static_cast<double>(bytes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void convertWithLineLists(benchmark::State& state, Shape shape) {
    const std::string bytes = shape(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        requireNoNulByte("bench.ifs", bytes);
        ScriptProperties properties;
        std::vector<std::string> body;
        convertLegacyScript(splitScriptLines(bytes), body, properties);
        std::string written = renderOutputScript(properties, body);
        benchmark::DoNotOptimize(written.data());
    }
    countBytes(state, bytes.size());
}

void convertStreaming(benchmark::State& state, Shape shape) {
    const std::string bytes = shape(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        requireNoNulByte("bench.ifs", bytes);
        StreamingConversion conversion(bytes);
        std::string written;
        writeConvertedScript(conversion, ScriptSink::into(written));
        benchmark::DoNotOptimize(written.data());
    }
    countBytes(state, bytes.size());
}

// The batch converter's way, checked and with every fix.
void convertChecked(benchmark::State& state, Shape shape) {
    const std::string bytes = shape(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        requireNoNulByte("bench.ifs", bytes);
        StreamingConversion conversion(bytes, {true, WarningCodeSet::all()});
        std::string written;
        writeConvertedScript(conversion, ScriptSink::into(written));
        benchmark::DoNotOptimize(written.data());
    }
    countBytes(state, bytes.size());
}

// A settings file of many [Form] sections full of keys, up to the 1 MiB that load() accepts:
// read as the window starts, written as it closes.
void settingsManySections(benchmark::State& state) {
    const std::string bytes =
        repeat("[Form]\nLeft=1\nx=y\n\n", static_cast<std::size_t>(state.range(0)) / 20);
    for (auto _ : state) {
        IniFile file = IniFile::parse(bytes);
        const WindowSettings settings = WindowSettings::read(file, {1920, 1080}, "/opt/q/");
        settings.write(file);
        std::string written = file.text();
        benchmark::DoNotOptimize(written.data());
    }
    countBytes(state, bytes.size());
}

// Registers one shape for both ways of converting, at 1/8 to 1/1 of `full` units.
void registerShape(const char* name, Shape shape, std::int64_t full) {
    for (const auto& [way, function] :
         {std::pair{"lines/", &convertWithLineLists}, std::pair{"streaming/", &convertStreaming},
          std::pair{"checked/", &convertChecked}}) {
        benchmark::RegisterBenchmark((std::string(way) + name).c_str(), function, shape)
            ->Arg(full / 8)
            ->Arg(full / 4)
            ->Arg(full / 2)
            ->Arg(full)
            ->Complexity(benchmark::oN)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerShape("single_line_10MB", singleLongLine, 10 * kMillion);
    registerShape("single_header_line_10MB", singleLongHeaderLine, 10 * kMillion);
    registerShape("empty_lines_1M_crlf", emptyCrLfLines, kMillion);
    registerShape("empty_lines_1M_lfcr", emptyLfCrLines, kMillion);
    registerShape("empty_lines_1M_cr", emptyCrLines, kMillion);
    registerShape("header_comment_lines_1M", headerCommentLines, kMillion);
    registerShape("header_mixed_lines_1M", headerMixedLines, kMillion);
    registerShape("getpicture_commas_1M", getPictureCommas, kMillion);
    registerShape("checkversion_parentheses_1M", checkVersionParentheses, kMillion);
    registerShape("showmessage_near_misses_1MB", showMessageNearMisses, kMillion);
    registerShape("keyword_prefixes_10MB", keywordPrefixes, 10 * kMillion);
    registerShape("tabs_1M", tabs, kMillion);
    registerShape("every_rule_lines_1M", everyRuleLines, kMillion);
    registerShape("nested_calls_1M", nestedCalls, 12 * kMillion);
    registerShape("many_calls_on_a_line_1M", manyCallsOnALine, 40 * kMillion);
    registerShape("open_messages_1M", openMessages, 12 * kMillion);
    registerShape("comments_over_lines_1M", commentsOverLines, 3 * kMillion);
    benchmark::RegisterBenchmark("settings/many_sections_1MiB", settingsManySections)
        ->Arg(IniFile::kMaxFileSize / 8)
        ->Arg(IniFile::kMaxFileSize / 4)
        ->Arg(IniFile::kMaxFileSize / 2)
        ->Arg(IniFile::kMaxFileSize)
        ->Complexity(benchmark::oN)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
