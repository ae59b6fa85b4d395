#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/UnifiedDiff.h"
#include "cli/WarningList.h"
#include "conversion/ConversionWarning.h"
#include "conversion/ScriptProperties.h"
#include "conversion/ScriptWriter.h"

namespace quillshift::cli {

enum class FileStatus { Converted, WouldConvert, Skipped, Failed };

/// What became of one input. The views and the diff writer are valid only while the result is
/// handed to RunReport::add, so that no file's contents outlive its turn.
struct FileResult {
    std::string input = {};
    std::string output = {};  ///< "" when none is named
    FileStatus status = FileStatus::Failed;
    std::string message = {};  ///< the reason for Skipped, the error text for Failed
    BodyCounts counts = {};
    /// The properties written (or to be written), comments not used: see joinedComments; null
    /// when nothing was converted.
    const ScriptProperties* properties = nullptr;
    std::string_view joinedComments = {};
    /// With --diff: writes the diff (after which `properties` and `warnings` may be gone).
    std::function<void(const TextSink&)> writeDiff = {};
    std::vector<std::string> notes = {};  ///< what the written files could not keep, and so on
    /// With --json, the conversion's warnings, fixed or not (see RunReport::warning); null when
    /// none were kept.
    const WarningList* warnings = nullptr;
    bool shownInEveryMode = false;  ///< a skip worth telling even in --check and --diff
};

/// The report of a run: a line for each input as it is done, on `out` (failures, notes and
/// warnings on `errors`), then a totals line; or, with --json, one JSON document instead, written
/// file by file as the run goes, so that it never holds more than one file's part. Names are
/// quoted where they would disturb a terminal.
class RunReport {
public:
    RunReport(const CliOptions& options, std::ostream& out, std::ostream& errors)
        : options_(options), out_(out), errors_(errors) {}

    /// A warning about the input being converted, columns counted in the file's lines, handed
    /// over as its line is converted and before the input's result: printed at once (unless the
    /// report is JSON, or quiet without --strict) and counted for the input's result.
    void warning(std::string_view input, const ConversionWarning& warning);

    void add(const FileResult& result);

    /// Prints the totals, or the end of the JSON document.
    void finish();

    bool anyFailed() const { return count(FileStatus::Failed) > 0; }
    bool anyWouldConvert() const { return count(FileStatus::WouldConvert) > 0; }
    /// True when a warning was not fixed.
    bool anyWarnings() const { return warnings_.count > 0; }

private:
    std::size_t count(FileStatus status) const { return counts_[static_cast<std::size_t>(status)]; }
    void printJson(const FileResult& result);

    // How many warnings, and in how many files.
    struct Tally {
        std::size_t count = 0;
        std::size_t files = 0;
        void add(std::size_t n) {
            count += n;
            files += n > 0 ? 1U : 0U;
        }
    };

    const CliOptions& options_;
    std::ostream& out_;
    std::ostream& errors_;
    std::size_t counts_[4] = {};
    Tally warnings_;                ///< left as warnings
    Tally fixed_;                   ///< repaired
    std::size_t fileWarnings_ = 0;  ///< of the input being converted
    std::size_t fileFixed_ = 0;
};

}  // namespace quillshift::cli
