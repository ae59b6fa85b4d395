#include "cli/FileConversion.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/Files.h"
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

// A body line for the report, its tabs expanded piece by piece.
void printBodyText(std::ostream& report, std::string_view bytes) {
    text::expandTabsInPieces(bytes,
                             [&](std::string_view piece) { printScriptText(report, piece); });
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

void printRewrite(std::ostream& report, const StreamingConversion::BodyLine& line) {
    report << line.lineNumber << ": " << bodyRuleName(line.rule) << ": ";
    printBodyText(report, line.before);
    report << " -> ";
    printBodyText(report, line.after);
    report << '\n';
}

// The writer's refusals that --force overcomes tell a batch user so.
template <typename Action>
void withForceHint(const std::string& path, Action&& action) {
    try {
        action();
    } catch (const FileError& error) {
        if (error.errorNumber() == EEXIST) {
            throw FileError::cannotCreate(
                path, "The file already exists; use --force to replace it.", EEXIST);
        }
        if (error.errorNumber() == EACCES && error.reason().starts_with(kNotWritableReason)) {
            throw FileError::cannotCreate(
                path, error.reason() + " Use --force to replace it anyway.", EACCES);
        }
        throw;
    }
}

// Standard input, read whole. A file is read into a buffer of its size; a pipe in pieces that
// are joined once at the end, so that the growing text is never copied while it grows.
std::string readStandardInput(std::istream& input) {
    std::vector<std::string> pieces;
    std::size_t total = 0;
    std::size_t pieceSize = 1 << 16;
    while (true) {
        std::string piece(pieceSize, '\0');
        input.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(input.gcount());
        if (got == 0) {
            break;
        }
        if (got > kMaxScriptFileSize - total) {
            throw FileError::cannotOpen(kStandardInput,
                                        "The input is larger than 1 GiB, too large to be a "
                                        "script.");
        }
        piece.resize(got);
        total += got;
        pieces.push_back(std::move(piece));
        pieceSize = std::min<std::size_t>(pieceSize * 2, 64 << 20);
    }
    if (input.bad()) {
        throw FileError::cannotOpen(kStandardInput, "Standard input could not be read.");
    }
    std::string bytes;
    bytes.reserve(total);
    for (std::string& piece : pieces) {
        bytes.append(piece);
        std::string().swap(piece);
    }
    return bytes;
}

// Writes the conversion where the item says; the legacy bytes go to the backup when in place.
BodyCounts writeConversion(const RunItem& item, const CliOptions& options,
                           StreamingConversion& conversion, std::string_view legacy,
                           const std::optional<FileIdentity>& read, RunStreams& streams,
                           std::vector<std::string>& notes) {
    if (item.output == "-") {
        const BodyCounts counts =
            writeConvertedScript(conversion, ScriptSink::into(streams.output));
        if (!streams.output.flush()) {
            throw FileError::cannotCreate(item.output, "Standard output could not be written.");
        }
        return counts;
    }
    const IfTargetExists ifExists =
        options.force ? IfTargetExists::ReplaceEvenIfNotWritable : IfTargetExists::Fail;
    const bool inPlace = !item.backup.empty();
    if (!item.newFolder.empty()) {
        createFolders(item.newFolderLocation, item.output);
    }
    std::optional<AtomicFileWriter> file;
    withForceHint(item.output, [&] {
        file.emplace(item.target, inPlace && !options.force ? IfTargetExists::Replace : ifExists);
    });
    if (inPlace && read) {
        file->replaceOnly(*read);  // not a file put in the script's place meanwhile
    } else if (item.input != kStandardInput) {
        file->limitPermissionsTo(item.source);
    }
    const BodyCounts counts = writeConvertedScript(conversion, ScriptSink::into(*file));
    if (inPlace) {
        // The original is kept before it is replaced; a backup that cannot be written leaves the
        // script as it was. A backup name is never written through a link, even with --force.
        withForceHint(item.backup, [&] {
            AtomicFileWriter backup(item.backupLocation(), ifExists);
            backup.keepMetadataOf(item.source);
            backup.write(legacy);
            backup.commit();
            for (const std::string& note : backup.notes()) {
                notes.push_back(quotedName(item.backup) + ": " + note);
            }
        });
    }
    withForceHint(item.output, [&] { file->commit(); });
    notes.insert(notes.end(), file->notes().begin(), file->notes().end());
    return counts;
}

// A conversion is checked whenever a warning could be shown, fail the run or be repaired.
StreamingConversion::Checks checksFor(const CliOptions& options) {
    return {options.json || options.strict || options.fix || !options.quiet,
            options.fix ? options.fixes : WarningCodeSet()};
}

std::string modificationDate(const std::string& input) {
    if (const auto changed =
            input != kStandardInput ? files::modificationTime(input) : std::nullopt) {
        return diffDate(changed->seconds, changed->nanoseconds);
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
    return diffDate(
        seconds.count(),
        static_cast<long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - seconds).count()));
}

// A second conversion of `bytes` for the diff, with the run's fixes and overrides; its warnings
// were reported with the first one.
std::unique_ptr<StreamingConversion> conversionForDiff(const std::string& bytes,
                                                       const CliOptions& options) {
    auto fresh = std::make_unique<StreamingConversion>(
        bytes,
        StreamingConversion::Checks{options.fix, options.fixes, [](const ConversionWarning&) {}});
    applyOverrides(options.overrides, fresh->properties(), &fresh->joinedComments());
    return fresh;
}

// What a write would do, told without writing: whether the output could be written, and (unless
// the report is JSON) the lines the conversion rewrites.
BodyCounts dryRun(const RunItem& item, const CliOptions& options, StreamingConversion& conversion,
                  RunStreams& streams) {
    // A folder that the run would create cannot be checked yet.
    if (item.output != "-" &&
        (item.newFolder.empty() || std::filesystem::is_directory(item.newFolder))) {
        withForceHint(item.output, [&] {
            AtomicFileWriter::check(item.target, options.force
                                                     ? IfTargetExists::ReplaceEvenIfNotWritable
                                                 : !item.backup.empty() ? IfTargetExists::Replace
                                                                        : IfTargetExists::Fail);
        });
    }
    if (options.json) {
        return writeConvertedScript(conversion, ScriptSink::nowhere());
    }
    printDryRun(streams.report, item, conversion);
    return writeConvertedScript(
        conversion, ScriptSink::nowhere(),
        [&](const StreamingConversion::BodyLine& line) { printRewrite(streams.report, line); });
}

FileStatus convert(const RunItem& item, const CliOptions& options, const RunInputs& inputs,
                   RunStreams& streams, RunReport& report) {
    FileResult result{item.input, item.output};
    if (!item.problem.empty()) {
        result.message = item.problem;
        result.status = item.skip ? FileStatus::Skipped : FileStatus::Failed;
        result.shownInEveryMode = item.skip;
        report.add(result);
        return result.status;
    }
    std::optional<FileIdentity> read;
    std::string bytes;
    if (item.input == kStandardInput) {
        bytes = readStandardInput(streams.input);
    } else {
        read.emplace();
        bytes = readFileBytes(item.source, &*read);
    }
    requireNoNulByte(item.input, bytes);
    const bool writesSomething = options.mode == RunMode::Write || options.mode == RunMode::DryRun;
    // In place the output is the input itself, by request; the backup is what must not be one.
    const std::string& created = item.backup.empty() ? item.output : item.backup;
    if (writesSomething && item.output != "-" && inputs.contains(created)) {
        throw FileError::cannotCreate(created, "It is an input of this run.");
    }

    // Warnings go to the report as each line is converted; only JSON keeps them, compactly.
    WarningList kept;
    StreamingConversion::Checks checks = checksFor(options);
    checks.onWarning = [&](const ConversionWarning& warning) {
        report.warning(item.input, warning);
        if (options.json) {
            kept.add(warning);
        }
    };
    result.warnings = &kept;
    std::optional<StreamingConversion> conversion(std::in_place, bytes, std::move(checks));
    if (conversion->convertedMarkLine() != 0 && !options.reconvert) {
        result.status = FileStatus::Skipped;
        result.message = "line " + std::to_string(conversion->convertedMarkLine()) +
                         " shows that it already has a converted header; use --reconvert to "
                         "convert it again";
        report.add(result);
        return result.status;
    }
    applyOverrides(options.overrides, conversion->properties(), &conversion->joinedComments());
    result.properties = &conversion->properties();
    result.joinedComments = conversion->joinedComments();
    result.status = FileStatus::WouldConvert;

    switch (options.mode) {
        case RunMode::Check:
            result.counts = writeConvertedScript(*conversion, ScriptSink::nowhere());
            break;
        case RunMode::Diff: {
            // The report's conversion gives the properties and counts; it is let go before the
            // diff runs its own, so that only one is held at a time.
            result.counts = writeConvertedScript(*conversion, ScriptSink::nowhere());
            const std::string& target = item.output.empty() ? item.input : item.output;
            const DiffNames names{item.input, modificationDate(item.input), target,
                                  modificationDate(std::string(kStandardInput))};
            result.writeDiff = [&, names](const TextSink& out) {
                conversion.reset();
                writeConversionDiff(
                    bytes, [&] { return conversionForDiff(bytes, options); }, names, streams.color,
                    out);
            };
            break;
        }
        case RunMode::DryRun:
            result.counts = dryRun(item, options, *conversion, streams);
            break;
        case RunMode::Write:
            result.counts =
                writeConversion(item, options, *conversion, bytes, read, streams, result.notes);
            result.status = FileStatus::Converted;
            break;
    }
    report.add(result);
    return result.status;
}

}  // namespace

std::string errorMessage(const std::exception& error) {
    if (const auto* fileError = dynamic_cast<const FileError*>(&error)) {
        return fileError->action() + " " + quotedName(fileError->path()) + ". " +
               fileError->reason();
    }
    return error.what();
}

FileStatus convertRunItem(const RunItem& item, const CliOptions& options, const RunInputs& inputs,
                          RunStreams& streams, RunReport& report) {
    try {
        return convert(item, options, inputs, streams, report);
    } catch (const std::exception& error) {
        FileResult result{item.input, item.output};
        result.message = errorMessage(error);
        report.add(result);
        return result.status;
    }
}

}  // namespace quillshift::cli
