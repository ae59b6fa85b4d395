#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
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

// The paths of --files-from; a list that cannot be read is a usage error.
std::vector<std::string> readFileList(const CliOptions& options) {
    if (!options.filesFrom) {
        return {};
    }
    std::string text;
    if (*options.filesFrom == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream list(*options.filesFrom, std::ios::binary);
        if (!list) {
            throw UsageError("the list " + quotedName(*options.filesFrom) +
                             " given with --files-from cannot be read: " + std::strerror(errno));
        }
        text.assign(std::istreambuf_iterator<char>(list), std::istreambuf_iterator<char>());
    }
    return splitFileList(text, options.nulSeparated);
}

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

bool useColor(const CliOptions& options) {
    if (options.color != ColorChoice::Auto) {
        return options.color == ColorChoice::Always;
    }
    const char* noColor = std::getenv("NO_COLOR");
    return ::isatty(STDOUT_FILENO) && (noColor == nullptr || *noColor == '\0');
}

}  // namespace

int main(int argc, char** argv) {
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
        inputPaths.push_back(item.input);
        scriptToStandardOutput = scriptToStandardOutput || item.output == "-";
    }
    // When standard output carries the converted script, the report goes to the error stream.
    std::ostream& reportStream = scriptToStandardOutput ? std::cerr : std::cout;
    StreamCheck standardOutput(std::cout, stdout);
    RunStreams streams{std::cin, std::cout, reportStream, useColor(options)};
    RunReport report(options, reportStream, std::cerr);

    const RunInputs inputs(inputPaths);
    std::map<std::string, std::string> written;  // output written in this run -> its input
    for (const RunItem& item : items) {
        const bool named = options.writesFiles() && item.output != "-" && !item.output.empty();
        const std::string outputKey = named ? comparablePath(item.output) : std::string();
        if (const auto earlier = written.find(outputKey); named && earlier != written.end()) {
            FileResult clash{item.input, item.output};
            clash.message = "Cannot create file " + quotedName(item.output) +
                            ". It was already written from " + quotedName(earlier->second) +
                            " in this run.";
            report.add(std::move(clash));
            continue;
        }
        FileResult result = convertRunItem(item, options, inputs, streams);
        if (named && result.status == FileStatus::Converted) {
            written.emplace(outputKey, item.input);
        }
        report.add(std::move(result));
        standardOutput.check();
    }
    report.finish();
    standardOutput.finish();
    if (standardOutput.failed()) {
        std::cerr << kProgram << ": cannot write to standard output: "
                  << std::strerror(standardOutput.errorNumber()) << '\n';
        return 1;
    }
    if (report.anyFailed()) {
        return 1;
    }
    return options.mode == RunMode::Check && report.anyWouldConvert() ? 1 : 0;
}
