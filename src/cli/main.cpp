#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/FileConversion.h"

using namespace quillshift::cli;

namespace {

constexpr const char* kProgram = "quillshift-convert";

std::string comparablePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    CliOptions options;
    try {
        options = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << kProgram << ": " << error.what() << "\n"
                  << "Try '" << kProgram << " --help' for more information.\n";
        return 2;
    }
    if (options.help) {
        std::cout << helpText();
        return 0;
    }
    if (options.version) {
        std::cout << kProgram << " 1.0.0.0\n";
        return 0;
    }

    bool anyFailed = false;
    std::map<std::string, std::string> written;  // output written in this run -> its input
    for (const std::string& input : options.inputs) {
        const std::string output =
            options.outputDir ? outputPathInFolder(*options.outputDir, input) : options.output;
        try {
            const auto [earlier, isNew] = written.emplace(comparablePath(output), input);
            if (!isNew) {
                throw std::runtime_error("Cannot create file \"" + output +
                                         "\". It was already written from \"" + earlier->second +
                                         "\" in this run.");
            }
            const ConversionStats stats = convertScriptFile(input, output, options, std::cout);
            if (!options.quiet) {
                std::cout << input << " -> " << output << " (" << stats.bodyLines << " lines, "
                          << stats.rewritten << " rewritten"
                          << (options.dryRun ? "; dry run, nothing written" : "") << ")\n";
            }
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << error.what() << '\n';
            anyFailed = true;
        }
    }
    return anyFailed ? 1 : 0;
}
