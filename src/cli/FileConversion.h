#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"

namespace quillshift::cli {

struct ConversionStats {
    std::size_t bodyLines = 0;  ///< lines written after the header
    std::size_t rewritten = 0;  ///< body lines a conversion rule changed
};

/// Converts the legacy script `input` into `output`, streaming the body so that memory stays
/// close to the input's size. With options.dryRun nothing is written and the properties and the
/// rewritten lines are printed to `report` instead.
/// Throws ScriptFileError for a file that cannot be read or written, and std::runtime_error when
/// `output` exists or `input` already has a converted header (both unless options.force); the
/// message is the text to show the user. Nothing is written then.
ConversionStats convertScriptFile(const std::string& input, const std::string& output,
                                  const CliOptions& options, std::ostream& report);

/// The output path for `input` in folder `folder`: "New " followed by the input's file name.
std::string outputPathInFolder(const std::string& folder, const std::string& input);

}  // namespace quillshift::cli
