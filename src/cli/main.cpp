#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/FileConversion.h"
#include "cli/RunInputs.h"
#include "cli/ShownText.h"

using namespace quillshift::cli;

namespace {

constexpr const char* kProgram = "quillshift-convert";

int usageError(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\n"
              << "Try '" << kProgram << " --help' for more information.\n";
    return 2;
}

// Standard output may be a full disk or a pipe whose reader has gone; the first failure is kept
// so that the run can say so and end with a failure.
class ReportStream {
public:
    bool failed() const { return failed_; }
    int errorNumber() const { return errorNumber_; }
    void check() {
        if (!failed_ && (!std::cout || std::ferror(stdout))) {
            failed_ = true;
            errorNumber_ = errno;
        }
    }
    void finish() {
        std::cout.flush();
        if (std::fflush(stdout) != 0 && !failed_) {
            failed_ = true;
            errorNumber_ = errno;
        }
        check();
    }

private:
    bool failed_ = false;
    int errorNumber_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe on standard output is then an error to report, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);

    CliOptions options;
    try {
        options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        return usageError(error.what());
    }
    if (options.help) {
        std::cout << helpText();
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " 1.0.0.0\n";
        return 0;
    }
    if (options.outputDir) {
        struct stat info {};
        if (::stat(options.outputDir->c_str(), &info) != 0) {
            return usageError("the output folder " + quotedName(*options.outputDir) +
                              " cannot be used: " + std::strerror(errno));
        }
        if (!S_ISDIR(info.st_mode)) {
            return usageError("the output folder " + quotedName(*options.outputDir) +
                              " is not a folder");
        }
    }

    const RunInputs inputs(options.inputs);
    ReportStream report;
    bool anyFailed = false;
    std::map<std::string, std::string> written;  // output written in this run -> its input
    for (const std::string& input : options.inputs) {
        const std::string output =
            options.outputDir ? outputPathInFolder(*options.outputDir, input) : options.output;
        try {
            const std::string outputKey = comparablePath(output);
            if (const auto earlier = written.find(outputKey); earlier != written.end()) {
                throw std::runtime_error("Cannot create file " + quotedName(output) +
                                         ". It was already written from " +
                                         quotedName(earlier->second) + " in this run.");
            }
            const quillshift::BodyCounts counts =
                convertScriptFile(input, output, options, inputs, std::cout);
            written.emplace(outputKey, input);
            if (!options.quiet) {
                std::cout << shownName(input) << " -> " << shownName(output) << " (" << counts.lines
                          << " lines, " << counts.rewritten << " rewritten"
                          << (options.dryRun ? "; dry run, nothing written" : "") << ")\n";
            }
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << errorMessage(error) << '\n';
            anyFailed = true;
        }
        report.check();
    }
    report.finish();
    if (report.failed()) {
        std::cerr << kProgram << ": cannot write the report to standard output: "
                  << std::strerror(report.errorNumber()) << '\n';
        return 1;
    }
    return anyFailed ? 1 : 0;
}
