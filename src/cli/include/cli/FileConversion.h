#pragma once

#include <exception>
#include <istream>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/RunInputs.h"
#include "cli/RunItems.h"
#include "cli/RunReport.h"

namespace quillshift::cli {

/// Where the run's streams go.
struct RunStreams {
    std::istream& input;   ///< read for the input "-"
    std::ostream& output;  ///< written for the output "-"
    std::ostream& report;  ///< the dry run's details
    bool color = false;    ///< colour the diff
};

/// Converts one input as options.mode says and hands the result to `report`: writes it (to a
/// file, in place keeping a backup, or to standard output), or only works out what would be
/// written (dry run, check, diff). The body is streamed and so is the diff, so memory stays within
/// about twice the input's size in every mode. Never throws: every failure (an input that cannot
/// be read, an output that exists without --force, is not a regular file, is a link met during
/// the run or is one of `inputs`, …) is a Failed result with the text to show, names quoted for a
/// terminal; nothing is written then. A script that already has a converted header is Skipped
/// unless options.reconvert.
/// Returns the status reported.
FileStatus convertRunItem(const RunItem& item, const CliOptions& options, const RunInputs& inputs,
                          RunStreams& streams, RunReport& report);

/// The text of `error` for the terminal: a FileError with its path quoted by quotedName.
std::string errorMessage(const std::exception& error);

}  // namespace quillshift::cli
