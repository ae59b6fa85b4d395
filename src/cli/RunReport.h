#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "conversion/ScriptProperties.h"
#include "conversion/ScriptWriter.h"

namespace quillshift::cli {

enum class FileStatus { Converted, WouldConvert, Skipped, Failed };

/// What became of one input.
struct FileResult {
    std::string input = {};
    std::string output = {};  ///< "" when none is named
    FileStatus status = FileStatus::Failed;
    std::string message = {};  ///< the reason for Skipped, the error text for Failed
    BodyCounts counts = {};
    bool converted = false;  ///< the properties below are those written (or to be written)
    ScriptProperties properties = {};  ///< comments not used: see joinedComments
    std::string joinedComments = {};
    std::string diff = {};  ///< with --diff
};

/// The report of a run: a line for each input as it is done, on `out` (failures on `errors`),
/// then a totals line; or, with --json, one JSON document at the end instead. Names are quoted
/// where they would disturb a terminal.
class RunReport {
public:
    RunReport(const CliOptions& options, std::ostream& out, std::ostream& errors)
        : options_(options), out_(out), errors_(errors) {}

    void add(FileResult result);

    /// Prints the totals or the JSON document.
    void finish();

    bool anyFailed() const { return count(FileStatus::Failed) > 0; }
    bool anyWouldConvert() const { return count(FileStatus::WouldConvert) > 0; }

private:
    std::size_t count(FileStatus status) const;
    void printJson() const;

    const CliOptions& options_;
    std::ostream& out_;
    std::ostream& errors_;
    std::vector<FileResult> results_;
};

}  // namespace quillshift::cli
