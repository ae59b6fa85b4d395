#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/AtomicFileWriter.h"
#include "conversion/ScriptProperties.h"

namespace quillshift {

/// Number of lines of the converted header block that precedes the body.
inline constexpr std::size_t kScriptHeaderLineCount = 21;

/// The first line of a converted script: an opening parenthesis and 51 asterisks.
inline constexpr std::string_view kScriptHeaderOpening =
    "(***************************************************";

/// The third line of a converted script.
inline constexpr std::string_view kScriptHeaderName = "Reelvault importation script";

/// Every line of a converted script ends with this.
inline constexpr std::string_view kLineEnd = "\r\n";

/// The "Comments=" value: for each comment line, one blank and then the trimmed line.
std::string joinComments(const std::vector<std::string>& comments);

/// Receives one line of the converted header (without line end) as two pieces, `key` followed by
/// `value`. `isProperty` marks the lines that carry the script's properties ("Authors=" to
/// "Comments=", without the fixed "Requires=" line).
using HeaderLineSink =
    std::function<void(std::string_view key, std::string_view value, bool isProperty)>;

/// Hands the 21 lines of the converted header built from `properties` to `sink`, in order, with
/// `joinedComments` (see joinComments) as the Comments value; the value is never copied, so a
/// huge one costs no extra memory. properties.comments is not used.
void forEachScriptHeaderLine(const ScriptProperties& properties, std::string_view joinedComments,
                             const HeaderLineSink& sink);

/// The 21 lines of the converted header built from `properties` (without line ends).
std::vector<std::string> buildScriptHeader(const ScriptProperties& properties);

/// Appends the converted header, each line followed by CR LF, to `out`.
void appendScriptHeader(const ScriptProperties& properties, std::string& out);

/// The complete converted script: the header, then each body line unchanged, every line ending
/// CR LF.
std::string renderOutputScript(const ScriptProperties& properties,
                               const std::vector<std::string>& body);

/// Writes renderOutputScript(properties, body) to `path` with an AtomicFileWriter, so an existing
/// file is replaced (or, with IfTargetExists::Fail, kept) atomically. Throws FileError
/// `Cannot create file "PATH". REASON`; an existing file is then left as it was.
void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const std::vector<std::string>& body, IfTargetExists ifExists);

}  // namespace quillshift
