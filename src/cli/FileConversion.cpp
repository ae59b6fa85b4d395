#include "cli/FileConversion.h"

#include <cerrno>
#include <optional>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/Paths.h"
#include "cli/ShownText.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

constexpr std::size_t kReportChunk = 1 << 16;

// Script text for the report, converted piece by piece so that a huge value is never copied whole.
void printScriptText(std::ostream& report, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kReportChunk) {
        report << printableText(windows1252::toUtf8(bytes.substr(at, kReportChunk)));
    }
}

void printDryRun(std::ostream& report, const std::string& input, const std::string& output,
                 const StreamingConversion& conversion) {
    report << "Would write " << quotedName(output) << " from " << quotedName(input) << ":\n";
    forEachPropertyLine(conversion.properties(), conversion.joinedComments(),
                        [&](std::string_view key, std::string_view value) {
                            report << "  " << key;
                            printScriptText(report, value);
                            report << '\n';
                        });
}

void printRewrite(std::ostream& report, const StreamingConversion::BodyLine& line) {
    report << line.lineNumber << ": " << bodyRuleName(line.rule) << ": ";
    printScriptText(report, line.before);
    report << " -> ";
    printScriptText(report, line.after);
    report << '\n';
}

// The writer's "already exists" tells a batch user how to replace the file.
template <typename Action>
void withForceHint(const std::string& output, Action&& action) {
    try {
        action();
    } catch (const FileError& error) {
        if (error.errorNumber() == EEXIST) {
            throw FileError::cannotCreate(
                output, "The file already exists; use --force to replace it.", EEXIST);
        }
        throw;
    }
}

}  // namespace

std::string outputPathInFolder(const std::string& folder, const std::string& input) {
    return paths::joinPath(folder, "New " + std::string(paths::fileNameOf(input)));
}

std::string errorMessage(const std::exception& error) {
    if (const auto* fileError = dynamic_cast<const FileError*>(&error)) {
        return fileError->action() + " " + quotedName(fileError->path()) + ". " +
               fileError->reason();
    }
    return error.what();
}

BodyCounts convertScriptFile(const std::string& input, const std::string& output,
                             const CliOptions& options, const RunInputs& inputs,
                             std::ostream& report) {
    const std::string bytes = readFileBytes(input);
    requireNoNulByte(input, bytes);
    if (inputs.contains(output)) {
        throw FileError::cannotCreate(output, "It is an input of this run.");
    }

    StreamingConversion conversion(bytes);
    if (conversion.convertedMarkLine() != 0 && !options.force) {
        throw std::runtime_error("Skipped " + quotedName(input) + ": line " +
                                 std::to_string(conversion.convertedMarkLine()) +
                                 " shows that it already has a converted header; use --force to "
                                 "convert it again.");
    }
    ScriptProperties& properties = conversion.properties();
    applyOverrides(options.overrides, properties, &conversion.joinedComments());

    const IfTargetExists ifExists = options.force ? IfTargetExists::Replace : IfTargetExists::Fail;
    std::optional<AtomicFileWriter> file;
    withForceHint(output, [&] {
        if (options.dryRun) {
            AtomicFileWriter::check(output, ifExists);
        } else {
            file.emplace(output, ifExists);
        }
    });
    if (!file) {
        printDryRun(report, input, output, conversion);
    }
    const BodyCounts counts =
        writeConvertedScript(conversion, file ? ScriptSink::into(*file) : ScriptSink::nowhere(),
                             [&](const StreamingConversion::BodyLine& line) {
                                 if (options.dryRun) {
                                     printRewrite(report, line);
                                 }
                             });
    if (file) {
        withForceHint(output, [&] { file->commit(); });
    }
    return counts;
}

}  // namespace quillshift::cli
