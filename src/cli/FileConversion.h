#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/RunInputs.h"
#include "conversion/ScriptWriter.h"

namespace quillshift::cli {

/// Converts the legacy script `input` into `output`, streaming the body so that memory stays
/// within about twice the input's size. With options.dryRun nothing is written: the properties
/// and the rewritten lines are printed to `report` instead, and a write that would certainly fail
/// fails all the same.
/// Throws FileError for a file that cannot be read or written (`output` existing without
/// options.force, or being one of `inputs`, among them), and std::runtime_error when `input`
/// already has a converted header (unless options.force); what() is the text to show the user,
/// with file names quoted for a terminal. Nothing is written then.
BodyCounts convertScriptFile(const std::string& input, const std::string& output,
                             const CliOptions& options, const RunInputs& inputs,
                             std::ostream& report);

/// The output path for `input` in folder `folder`: "New " followed by the input's file name.
std::string outputPathInFolder(const std::string& folder, const std::string& input);

/// The text of `error` for the terminal: a FileError with its path quoted by quotedName.
std::string errorMessage(const std::exception& error);

}  // namespace quillshift::cli
