#ifdef __linux__
#include <malloc.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/FileIdentity.h"
#include "base/ProcessEnvironment.h"
#include "cli/CliOptions.h"
#include "cli/FileConversion.h"
#include "cli/RunInputs.h"
#include "cli/RunItems.h"
#include "cli/RunReport.h"
#include "cli/ShownText.h"
#include "generated/Version.h"

using namespace quillshift::cli;

namespace {

constexpr const char* kProgram = "quillshift-convert";

int usageError(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\n"
              << "Try '" << kProgram << " --help' for more information.\n";
    return 2;
}

// Standard output may be a full disk or a pipe whose reader has gone: the first failure is kept,
// so that the run can say so and end with a failure.
class StreamCheck {
public:
    explicit StreamCheck(std::ostream& stream, std::FILE* file) : stream_(stream), file_(file) {}
    bool failed() const { return failed_; }
    int errorNumber() const { return errorNumber_; }
    void check() {
        if (!failed_ && (!stream_ || std::ferror(file_))) {
            failed_ = true;
            errorNumber_ = errno;
        }
    }
    void finish() {
        stream_.flush();
        if (std::fflush(file_) != 0 && !failed_) {
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
std::optional<std::string> inputThatIsAnOutput(const RunInputs& inputs, bool reportOnErrors) {
    for (const int stream : {1, 2}) {
        const auto identity = stream == 2 && !reportOnErrors
                                  ? std::nullopt
                                  : quillshift::standardStreamIdentity(stream);
        if (const std::string* input = identity ? inputs.find(*identity) : nullptr) {
            return *input;
        }
    }
    return std::nullopt;
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

bool useColor(const CliOptions& options) {
    if (options.color != ColorChoice::Auto) {
        return options.color == ColorChoice::Always;
    }
    const auto noColor = quillshift::process::environmentVariable("NO_COLOR");
    return (!noColor || noColor->empty()) && quillshift::process::standardOutputTakesColor();
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Buffers of a megabyte or more (a file, a long line) go back to the system when freed. Left
    // to itself, glibc raises this threshold when the first such buffer is freed, so the next
    // file's or pass's buffers would stay in the heap beside the memory of the last.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    // A closed pipe on standard output is then an error to report, not a silent death; and on
    // Windows the scripts pass standard input and output byte for byte.
    quillshift::process::prepareStandardStreams();

    CliOptions options;
    std::vector<std::string> listed;
    try {
        options = parseCommandLine(quillshift::process::arguments(argc, argv));
        if (!options.help && !options.version) {
            checkOutputFolder(options);
            listed = readFileList(options);
        }
    } catch (const UsageError& error) {
        return usageError(error.what());
    }
    if (options.help) {
        std::cout << helpText();
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " " << quillshift::kVersion << "\n";
        return 0;
    }

    const std::vector<RunItem> items = listRunItems(options, listed);
    std::vector<std::string> inputPaths;
    bool scriptToStandardOutput = false;
    for (const RunItem& item : items) {
        inputPaths.push_back(item.source.path.empty() ? item.input : item.source.path);
        scriptToStandardOutput = scriptToStandardOutput || item.output == "-";
    }
    // When standard output carries the converted script, the report goes to the error stream.
    std::ostream& reportStream = scriptToStandardOutput ? std::cerr : std::cout;
    StreamCheck standardOutput(std::cout, stdout);
    StreamCheck standardError(std::cerr, stderr);
    RunStreams streams{std::cin, std::cout, reportStream, useColor(options)};
    RunReport report(options, reportStream, std::cerr);

    const RunInputs inputs(inputPaths);
    if (const auto input = inputThatIsAnOutput(inputs, scriptToStandardOutput)) {
        std::cerr << kProgram << ": " << shownName(*input) << ": input file is output file\n";
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
        const FileStatus status = convertRunItem(item, options, inputs, streams, report);
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
    if (standardOutput.failed()) {
        std::cerr << kProgram << ": cannot write to standard output: "
                  << std::strerror(standardOutput.errorNumber()) << '\n';
        return 1;
    }
    if (standardError.failed()) {
        return 1;  // the report, or part of it, is lost; there is nowhere left to say so
    }
    if (report.anyFailed() || (options.strict && report.anyWarnings())) {
        return 1;
    }
    return options.mode == RunMode::Check && report.anyWouldConvert() ? 1 : 0;
}
