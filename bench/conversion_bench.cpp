// Throughput of the in-memory pipeline: split the bytes into lines, convert, render the file;
// once with line lists as the window does it and once streaming as the batch converter does, the
// latter also checked for warnings and with every fix.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include <random>
#include <string>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"

namespace {

using namespace quillshift;

const char* const kHeader[] = {
    "(***************************************************",
    "{ Cinefiche (FR) - fiches de films",
    " *  Movie importation script for Reelvault 3.4.x",
    " *  For use with Reelvault 3.4 and later",
    " *  (c) 2004-2005 Jerome Martin",
    " *  Site language: French (FR)",
    " *  Source site: http://www.cinefiche.example/films/ (main index)",
    " *  This program is free software; you can redistribute it and/or modify",
    " *  Imports the title, year, cast and the poster.",
    "***************************************************)",
    "",
};

const char* const kBody[] = {
    "procedure AnalysePage(Address: string);",
    "var",
    "\tPage: TStringList;",
    "\tLineNr, BeginPos, EndPos: Integer;",
    "begin",
    "\tPage := TStringList.Create;",
    "\tPage.Text := GetPage(Address);",
    "\tLineNr := FindLine('<h1 class=\"title\">', Page, 0);",
    "\tif LineNr > -1 then",
    "\tbegin",
    "\t\tBeginPos := Pos('>', Page.GetString(LineNr)) + 1;",
    "\t\tSetField(fieldOriginalTitle, Copy(Page.GetString(LineNr), BeginPos, 40));",
    "\tend;",
    "\tGetPicture(PicURL, False);",
    "\t// a comment with some more text in it to make the line longer",
    "\tPage.Free;",
    "\tDisplayResults;",
    "end;",
    "",
    "\tif not CheckVersion(3,4,2) then",
    "\t\tShowMessage('This script requires a newer version of Reelvault')",
};

// A legacy script of about `size` bytes: the header, then body lines repeated, CR LF ends.
std::string makeScript(std::size_t size) {
    std::string script;
    for (const char* line : kHeader) {
        script.append(line).append("\r\n");
    }
    script.append("program Bench;\r\n");
    std::size_t i = 0;
    while (script.size() < size) {
        script.append(kBody[i++ % std::size(kBody)]).append("\r\n");
    }
    return script;
}

void linesPipeline(benchmark::State& state) {
    const std::string script = makeScript(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        ScriptProperties properties;
        std::vector<std::string> body;
        convertLegacyScript(splitScriptLines(script), body, properties);
        std::string written = renderOutputScript(properties, body);
        benchmark::DoNotOptimize(written.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(script.size()));
}

// The batch converter's way: one pass, no line lists, the output written to a file through the
// atomic writer. The file is on /dev/shm, in memory, so that the disk's speed does not count.
// With checks, the conversion also reports its warnings; with fixes, it applies every repair.
void streamingPipeline(benchmark::State& state, StreamingConversion::Checks checks) {
    const std::string script = makeScript(static_cast<std::size_t>(state.range(0)));
    const std::string path = (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp") +
                             std::string("/quillshift-bench-") + std::to_string(::getpid());
    // As the batch converter does, the warnings are handed over as they come, not kept.
    std::size_t warnings = 0;
    if (checks.enabled) {
        checks.onWarning = [&](const ConversionWarning&) { ++warnings; };
    }
    for (auto _ : state) {
        warnings = 0;
        StreamingConversion conversion(script, checks);
        AtomicFileWriter file(path, IfTargetExists::Replace);
        writeConvertedScript(conversion, ScriptSink::into(file));
        file.commit();
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(script.size()));
    state.counters["warnings"] = static_cast<double>(warnings);
}

// The same, with the whole converted file built in memory.
void streamingToString(benchmark::State& state) {
    const std::string script = makeScript(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        StreamingConversion conversion(script);
        std::string written;
        written.reserve(script.size() + script.size() / 16 + 4096);
        writeConvertedScript(conversion, ScriptSink::into(written));
        benchmark::DoNotOptimize(written.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(script.size()));
}

void splitOnly(benchmark::State& state) {
    const std::string script = makeScript(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        auto lines = splitScriptLines(script);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(script.size()));
}

// The window's way: with notes, so checked, as the Convert command does it.
void convertWithNotes(benchmark::State& state) {
    const auto lines = splitScriptLines(makeScript(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        ScriptProperties properties;
        std::vector<std::string> body;
        ConversionNotes notes;
        convertLegacyScript(lines, body, properties, &notes);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * state.range(0)));
}

void convertOnly(benchmark::State& state) {
    const auto lines = splitScriptLines(makeScript(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        ScriptProperties properties;
        std::vector<std::string> body;
        convertLegacyScript(lines, body, properties);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * state.range(0)));
}

}  // namespace

BENCHMARK(linesPipeline)->Arg(20 << 10)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(streamingPipeline, plain, StreamingConversion::Checks{})
    ->Arg(20 << 10)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(streamingPipeline, warnings, StreamingConversion::Checks{true, {}})
    ->Arg(20 << 10)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(streamingPipeline, fix, StreamingConversion::Checks{true, WarningCodeSet::all()})
    ->Arg(20 << 10)
    ->Arg(50 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(streamingToString)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(splitOnly)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(convertOnly)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(convertWithNotes)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
