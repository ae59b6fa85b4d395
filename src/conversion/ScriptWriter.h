#pragma once

#include <string>
#include <vector>

#include "conversion/ScriptProperties.h"

namespace quillshift {

/// Number of lines of the converted header block that precedes the body.
inline constexpr std::size_t kScriptHeaderLineCount = 21;

/// Every line of a converted script ends with this.
inline constexpr std::string_view kLineEnd = "\r\n";

/// The "Comments=" value: for each comment line, one blank and then the trimmed line.
std::string joinComments(const std::vector<std::string>& comments);

/// The 21 lines of the converted header built from `properties` (without line ends).
std::vector<std::string> buildScriptHeader(const ScriptProperties& properties);

/// Appends the converted header, each line followed by CR LF, to `out`.
void appendScriptHeader(const ScriptProperties& properties, std::string& out);

/// The complete converted script: the header, then each body line unchanged, every line ending
/// CR LF.
std::string renderOutputScript(const ScriptProperties& properties,
                               const std::vector<std::string>& body);

/// Writes renderOutputScript(properties, body) to `path`, replacing any file of that name
/// atomically (see AtomicFileWriter). Throws ScriptFileError `Cannot create file "PATH". REASON`;
/// an existing file is then left as it was.
void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const std::vector<std::string>& body);

}  // namespace quillshift
