#include "cli/FileConversion.h"

#include <sys/stat.h>

#include <array>
#include <optional>

#include "conversion/AtomicFileWriter.h"
#include "conversion/ScriptFileError.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

// Lines of the converted header that hold the properties ("Authors=" to "Comments=" without the
// fixed "Requires=" line).
constexpr std::array<std::size_t, 7> kPropertyLines{6, 7, 8, 9, 10, 11, 13};

bool isExistingNonFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace

std::string outputPathInFolder(const std::string& folder, const std::string& input) {
    const std::size_t slash = input.rfind('/');
    const std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    return path + "New " + name;
}

ConversionStats convertScriptFile(const std::string& input, const std::string& output,
                                  const CliOptions& options, std::ostream& report) {
    if (!options.force && isExistingNonFolder(output)) {
        throw std::runtime_error(ScriptFileError::cannotCreate(
                                     output, "The file already exists; use --force to replace it.")
                                     .what());
    }
    const std::string bytes = readFileBytes(input);
    requireNoNulByte(input, bytes);

    StreamingConversion conversion(bytes);
    if (conversion.infosLine() != 0 && !options.force) {
        throw std::runtime_error(
            "Skipped \"" + input + "\": it already has a converted header ([Infos] on line " +
            std::to_string(conversion.infosLine()) + "); use --force to convert it again.");
    }
    ScriptProperties& properties = conversion.properties();
    applyOverrides(options.overrides, properties);

    std::optional<AtomicFileWriter> file;
    if (options.dryRun) {
        const std::vector<std::string> header = buildScriptHeader(properties);
        report << "Would write \"" << output << "\" from \"" << input << "\":\n";
        for (std::size_t i : kPropertyLines) {
            report << "  " << windows1252::toUtf8(header[i]) << '\n';
        }
    } else {
        file.emplace(output);
        std::string header;
        appendScriptHeader(properties, header);
        file->write(header);
    }

    ConversionStats stats;
    StreamingConversion::BodyLine line{};
    while (conversion.nextBodyLine(line)) {
        ++stats.bodyLines;
        if (line.rule != BodyRule::None && line.after != line.before) {
            ++stats.rewritten;
            if (options.dryRun) {
                report << line.lineNumber << ": " << bodyRuleName(line.rule) << ": "
                       << windows1252::toUtf8(line.before) << " -> "
                       << windows1252::toUtf8(line.after) << '\n';
            }
        }
        if (file) {
            file->write(line.after);
            file->write(kLineEnd);
        }
    }
    if (file) {
        file->commit();
    }
    return stats;
}

}  // namespace quillshift::cli
