#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

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
    struct stat info {};
    if (::stat(options.outputDir->c_str(), &info) != 0) {
        throw UsageError("the output folder " + quotedName(*options.outputDir) +
                         " cannot be used: " + std::strerror(errno));
    }
    if (!S_ISDIR(info.st_mode)) {
        throw UsageError("the output folder " + quotedName(*options.outputDir) +
                         " is not a folder");
    }
}

// Standard output (and standard error, when it carries the report) must not be a file the run
// reads: what is written would go into an input, or onto the end of one, as `x.ifs - >> x.ifs`
// would. Returns the input concerned, or nothing.
std::optional<std::string> inputThatIsAnOutput(const RunInputs& inputs, bool reportOnErrors) {
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat info {};
        if ((fd == STDERR_FILENO && !reportOnErrors) || ::fstat(fd, &info) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        if (const std::string* input = inputs.find({static_cast<std::uint64_t>(info.st_dev),
                                                    static_cast<std::uint64_t>(info.st_ino)})) {
            return *input;
        }
    }
    return std::nullopt;
}

bool useColor(const CliOptions& options) {
    if (options.color != ColorChoice::Auto) {
        return options.color == ColorChoice::Always;
    }
    const char* noColor = std::getenv("NO_COLOR");
    return ::isatty(STDOUT_FILENO) && (noColor == nullptr || *noColor == '\0');
}

}  // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Buffers of a megabyte or more (a file, a long line) go back to the system when freed. Left
    // to itself, glibc raises this threshold when the first such buffer is freed, so the next
    // file's or pass's buffers would stay in the heap beside the memory of the last.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    // A closed pipe on standard output is then an error to report, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);

    CliOptions options;
    std::vector<std::string> listed;
    try {
        options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
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
    std::map<std::string, std::string> written;  // output written in this run -> its input
    for (const RunItem& item : items) {
        const bool named = options.writesFiles() && item.output != "-" && !item.output.empty();
        const std::string outputKey = named ? comparablePath(item.output) : std::string();
        if (const auto earlier = written.find(outputKey); named && earlier != written.end()) {
            FileResult clash{item.input, item.output};
            clash.message = "Cannot create file " + quotedName(item.output) +
                            ". It was already written from " + quotedName(earlier->second) +
                            " in this run.";
            report.add(clash);
            continue;
        }
        const FileStatus status = convertRunItem(item, options, inputs, streams, report);
        if (named && status == FileStatus::Converted) {
            written.emplace(outputKey, item.input);
        }
        standardOutput.check();
        standardError.check();
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
