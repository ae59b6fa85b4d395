#include "cli/BatchRun.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "base/FileIdentity.h"
#include "base/ProcessEnvironment.h"
#include "cli/CliOptions.h"
#include "cli/FileConversion.h"
#include "cli/RunInputs.h"
#include "cli/RunItems.h"
#include "cli/RunReport.h"
#include "cli/ShownText.h"
#include "generated/Version.h"

namespace quillshift::cli {

namespace {

constexpr const char* kProgram = "quillshift-convert";

// Standard output may be a full disk or a pipe whose reader has gone: the first failure is kept,
// so that the run can say so and end with a failure.
class StreamCheck {
public:
    StreamCheck(std::ostream& stream, std::FILE* file) : stream_(stream), file_(file) {}
    bool failed() const { return failed_; }
    int errorNumber() const { return errorNumber_; }
    void check() {
        if (!failed_ && (!stream_ || (file_ && std::ferror(file_) != 0))) {
            failed_ = true;
            errorNumber_ = errno;
        }
    }
    void finish() {
        stream_.flush();
        if (file_ && std::fflush(file_) != 0 && !failed_) {
            failed_ = true;
            errorNumber_ = errno;
        }
        check();
    }

private:
    std::ostream& stream_;
    std::FILE* file_;
    bool failed_ = false;
    int errorNumber_ = 0;
};

void checkOutputFolder(const CliOptions& options) {
    if (!options.outputDir) {
        return;
    }
    std::error_code error;
    const auto status = std::filesystem::status(*options.outputDir, error);
    if (error) {
        throw UsageError("the output folder " + quotedName(*options.outputDir) +
                         " cannot be used: " + error.message());
    }
    if (!std::filesystem::is_directory(status)) {
        throw UsageError("the output folder " + quotedName(*options.outputDir) +
                         " is not a folder");
    }
}

// Standard output (and standard error, when it carries the report) must not be a file the run
// reads: what is written would go into an input, or onto the end of one, as `x.ifs - >> x.ifs`
// would. Returns the input concerned, or nothing.
std::optional<std::string> inputThatIsAnOutput(const RunInputs& inputs,
                                               const ProgramStreams& streams, bool reportOnErrors) {
    for (const int descriptor : {streams.outDescriptor, streams.errDescriptor}) {
        const auto identity =
            (descriptor == streams.errDescriptor && !reportOnErrors) || descriptor < 0
                ? std::nullopt
                : quillshift::standardStreamIdentity(descriptor);
        if (const std::string* input = identity ? inputs.find(*identity) : nullptr) {
            return *input;
        }
    }
    return std::nullopt;
}

bool useColor(const CliOptions& options, const ProgramStreams& streams) {
    if (options.color != ColorChoice::Auto) {
        return options.color == ColorChoice::Always;
    }
    const auto noColor = quillshift::process::environmentVariable("NO_COLOR");
    return streams.outIsTerminal && (!noColor || noColor->empty());
}

// The outputs written in this run, each with its input: by path, and by identity for another
// name of the same file (on Windows a name in other letters: "New A.IFS" is "New a.ifs").
class WrittenOutputs {
public:
    /// The input that `output` was written from earlier in this run, or null.
    const std::string* inputOf(const std::string& output) const {
        if (const auto byPath = paths_.find(comparablePath(output)); byPath != paths_.end()) {
            return &byPath->second;
        }
        const auto identity = quillshift::fileIdentity(output);
        const auto byFile = identity ? files_.find(*identity) : files_.end();
        return byFile != files_.end() ? &byFile->second : nullptr;
    }

    void add(const std::string& output, const std::string& input) {
        paths_.emplace(comparablePath(output), input);
        if (const auto identity = quillshift::fileIdentity(output)) {
            files_.emplace(*identity, input);
        }
    }

private:
    std::map<std::string, std::string> paths_;
    std::map<quillshift::FileIdentity, std::string> files_;
};

// Says so when `out`, standard output, could not be written. Returns true then.
bool reportWriteFailure(const StreamCheck& out, std::ostream& err) {
    if (out.failed()) {
        err << kProgram << ": cannot write to standard output: " << std::strerror(out.errorNumber())
            << '\n';
    }
    return out.failed();
}

constexpr const char* kVersionNotice =
    "Copyright (C) 2026 The Quillshift team\n"
    "License GPLv2+: GNU GPL version 2 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// Converts the run's items one by one, each output written at most once. Returns the exit status.
int convertAll(const CliOptions& options, const std::vector<RunItem>& items,
               ProgramStreams& streams) {
    std::vector<std::string> inputPaths;
    bool scriptToStandardOutput = false;
    for (const RunItem& item : items) {
        inputPaths.push_back(item.source.path.empty() ? item.input : item.source.path);
        scriptToStandardOutput = scriptToStandardOutput || item.output == "-";
    }
    // When standard output carries the converted script, the report goes to the error stream.
    std::ostream& reportStream = scriptToStandardOutput ? streams.err : streams.out;
    StreamCheck standardOutput(streams.out, streams.outFile);
    StreamCheck standardError(streams.err, streams.errFile);
    RunStreams runStreams{streams.in, streams.out, reportStream, useColor(options, streams)};
    RunReport report(options, reportStream, streams.err);

    const RunInputs inputs(inputPaths);
    if (const auto input = inputThatIsAnOutput(inputs, streams, scriptToStandardOutput)) {
        streams.err << kProgram << ": " << shownName(*input) << ": input file is output file\n";
        return 1;
    }
    WrittenOutputs written;
    for (const RunItem& item : items) {
        const bool named = options.writesFiles() && item.output != "-" && !item.output.empty();
        if (const std::string* earlier = named ? written.inputOf(item.output) : nullptr) {
            FileResult clash{item.input, item.output};
            clash.message = "Cannot create file " + quotedName(item.output) +
                            ". It was already written from " + quotedName(*earlier) +
                            " in this run.";
            report.add(clash);
            continue;
        }
        const FileStatus status = convertRunItem(item, options, inputs, runStreams, report);
        // Before anything else can change errno, which tells why a stream failed.
        standardOutput.check();
        standardError.check();
        if (named && status == FileStatus::Converted) {
            written.add(item.output, item.input);
        }
    }
    report.finish();
    standardOutput.finish();
    standardError.finish();
    if (reportWriteFailure(standardOutput, streams.err) || standardError.failed()) {
        // Without standard error the report, or part of it, is lost; there is nowhere left to
        // say so.
        return 1;
    }
    if (report.anyFailed() || (options.strict && report.anyWarnings())) {
        return 1;
    }
    return (options.check || options.mode == RunMode::Diff) && report.anyWouldConvert() ? 1 : 0;
}

}  // namespace

int runBatch(const std::vector<std::string>& arguments, ProgramStreams& streams) {
    CliOptions options;
    std::vector<std::string> listed;
    try {
        options = parseCommandLine(arguments);
        if (!options.help && !options.version) {
            checkOutputFolder(options);
            listed = readFileList(options);
        }
    } catch (const UsageError& error) {
        streams.err << kProgram << ": " << error.what() << "\n"
                    << "Try '" << kProgram << " --help' for more information.\n";
        return 2;
    }
    if (options.help) {
        streams.out << helpText();
    } else if (options.version) {
        streams.out << kProgram << " " << kVersion << "\n" << kVersionNotice;
    } else {
        return convertAll(options, listRunItems(options, listed), streams);
    }
    StreamCheck out(streams.out, streams.outFile);
    out.finish();
    return reportWriteFailure(out, streams.err) ? 1 : 0;
}

}  // namespace quillshift::cli
