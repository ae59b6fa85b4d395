#include "cli/FileConversion.h"

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <optional>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/TextOps.h"
#include "cli/ShownText.h"
#include "cli/UnifiedDiff.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

constexpr std::size_t kReportChunk = 1 << 16;
constexpr std::string_view kStandardInput = "-";

// Script text for the report, converted piece by piece so that a huge value is never copied whole.
void printScriptText(std::ostream& report, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kReportChunk) {
        report << printableText(windows1252::toUtf8(bytes.substr(at, kReportChunk)));
    }
}

void printDryRun(std::ostream& report, const RunItem& item, const StreamingConversion& conversion) {
    report << "Would write " << quotedName(item.output) << " from " << quotedName(item.input)
           << ":\n";
    forEachPropertyLine(conversion.properties(), conversion.joinedComments(),
                        [&](std::string_view key, std::string_view value) {
                            report << "  " << key;
                            printScriptText(report, value);
                            report << '\n';
                        });
}

// A body line for the report, its tabs expanded piece by piece.
void printBodyText(std::ostream& report, std::string_view bytes) {
    text::expandTabsInPieces(bytes, [&](std::string_view piece) { printScriptText(report, piece); });
}

void printRewrite(std::ostream& report, const StreamingConversion::BodyLine& line) {
    report << line.lineNumber << ": " << bodyRuleName(line.rule) << ": ";
    printBodyText(report, line.before);
    report << " -> ";
    printBodyText(report, line.after);
    report << '\n';
}

// The writer's "already exists" tells a batch user how to replace the file.
template <typename Action>
void withForceHint(const std::string& path, Action&& action) {
    try {
        action();
    } catch (const FileError& error) {
        if (error.errorNumber() == EEXIST) {
            throw FileError::cannotCreate(
                path, "The file already exists; use --force to replace it.", EEXIST);
        }
        throw;
    }
}

std::string readInput(const std::string& input, std::istream& standardInput) {
    if (input != kStandardInput) {
        return readFileBytes(input);
    }
    std::string bytes;
    char chunk[65536];
    while (standardInput.read(chunk, sizeof chunk) || standardInput.gcount() > 0) {
        if (bytes.size() + static_cast<std::size_t>(standardInput.gcount()) > kMaxScriptFileSize) {
            throw FileError::cannotOpen(input,
                                        "The input is larger than 1 GiB, too large to be "
                                        "a script.");
        }
        bytes.append(chunk, static_cast<std::size_t>(standardInput.gcount()));
    }
    if (standardInput.bad()) {
        throw FileError::cannotOpen(input, "Standard input could not be read.");
    }
    return bytes;
}

// Writes the conversion where the item says; the legacy bytes go to the backup when in place.
BodyCounts writeConversion(const RunItem& item, const CliOptions& options,
                           StreamingConversion& conversion, std::string_view legacy,
                           RunStreams& streams) {
    if (item.output == "-") {
        const BodyCounts counts =
            writeConvertedScript(conversion, ScriptSink::into(streams.output));
        if (!streams.output.flush()) {
            throw FileError::cannotCreate(item.output, "Standard output could not be written.");
        }
        return counts;
    }
    const IfTargetExists ifExists = options.force ? IfTargetExists::Replace : IfTargetExists::Fail;
    const bool inPlace = !item.backup.empty();
    if (!item.newFolder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(item.newFolder, error);
        if (error) {
            throw FileError::cannotCreate(item.output,
                                          "Its folder could not be created: " + error.message());
        }
    }
    std::optional<AtomicFileWriter> file;
    withForceHint(item.output,
                  [&] { file.emplace(item.output, inPlace ? IfTargetExists::Replace : ifExists); });
    const BodyCounts counts = writeConvertedScript(conversion, ScriptSink::into(*file));
    if (inPlace) {
        // The original is kept before it is replaced; a backup that cannot be written leaves the
        // script as it was.
        withForceHint(item.backup, [&] {
            AtomicFileWriter backup(item.backup, ifExists);
            backup.keepMetadataOf(FileLocation::given(item.input));
            backup.write(legacy);
            backup.commit();
        });
    }
    withForceHint(item.output, [&] { file->commit(); });
    return counts;
}

FileResult convert(const RunItem& item, const CliOptions& options, const RunInputs& inputs,
                   RunStreams& streams) {
    FileResult result{item.input, item.output};
    if (!item.problem.empty()) {
        result.message = item.problem;
        return result;
    }
    const std::string bytes = readInput(item.input, streams.input);
    requireNoNulByte(item.input, bytes);
    const bool writesSomething = options.mode == RunMode::Write || options.mode == RunMode::DryRun;
    // In place the output is the input itself, by request; the backup is what must not be one.
    const std::string& created = item.backup.empty() ? item.output : item.backup;
    if (writesSomething && item.output != "-" && inputs.contains(created)) {
        throw FileError::cannotCreate(created, "It is an input of this run.");
    }

    StreamingConversion conversion(bytes);
    if (conversion.convertedMarkLine() != 0 && !options.reconvert) {
        result.status = FileStatus::Skipped;
        result.message = "line " + std::to_string(conversion.convertedMarkLine()) +
                         " shows that it already has a converted header; use --reconvert to "
                         "convert it again";
        return result;
    }
    applyOverrides(options.overrides, conversion.properties(), &conversion.joinedComments());
    result.converted = true;
    result.properties = conversion.properties();
    result.joinedComments = conversion.joinedComments();
    result.status = FileStatus::WouldConvert;

    switch (options.mode) {
        case RunMode::Check:
            result.counts = writeConvertedScript(conversion, ScriptSink::nowhere());
            break;
        case RunMode::Diff: {
            std::string converted;
            converted.reserve(bytes.size() + bytes.size() / 8 + 2048);
            result.counts = writeConvertedScript(conversion, ScriptSink::into(converted));
            const std::string& target = item.output.empty() ? item.input : item.output;
            result.diff = unifiedDiff(bytes, converted, shownName(item.input), shownName(target),
                                      streams.color);
            break;
        }
        case RunMode::DryRun:
            // A folder that the run would create cannot be checked yet.
            if (item.output != "-" &&
                (item.newFolder.empty() || std::filesystem::is_directory(item.newFolder))) {
                withForceHint(item.output, [&] {
                    AtomicFileWriter::check(item.output, options.force || !item.backup.empty()
                                                             ? IfTargetExists::Replace
                                                             : IfTargetExists::Fail);
                });
            }
            if (!options.json) {
                printDryRun(streams.report, item, conversion);
            }
            result.counts = writeConvertedScript(
                conversion, ScriptSink::nowhere(),
                options.json ? std::function<void(const StreamingConversion::BodyLine&)>()
                             : [&](const StreamingConversion::BodyLine& line) {
                                   printRewrite(streams.report, line);
                               });
            break;
        case RunMode::Write:
            result.counts = writeConversion(item, options, conversion, bytes, streams);
            result.status = FileStatus::Converted;
            break;
    }
    return result;
}

}  // namespace

std::string errorMessage(const std::exception& error) {
    if (const auto* fileError = dynamic_cast<const FileError*>(&error)) {
        return fileError->action() + " " + quotedName(fileError->path()) + ". " +
               fileError->reason();
    }
    return error.what();
}

FileResult convertRunItem(const RunItem& item, const CliOptions& options, const RunInputs& inputs,
                          RunStreams& streams) {
    try {
        return convert(item, options, inputs, streams);
    } catch (const std::exception& error) {
        FileResult result{item.input, item.output};
        result.message = errorMessage(error);
        return result;
    }
}

}  // namespace quillshift::cli
