#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/AtomicFileWriter.h"
#include "conversion/LegacyConverter.h"
#include "conversion/ScriptProperties.h"
#include "conversion/StreamingConversion.h"

// The converted script: the header block built from the properties, then the body lines, every
// line ending CR LF. This is the one place that knows its layout; everything that writes a
// converted script, or shows its properties, goes through here.
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

/// Where a converted script's bytes go: appended to a string, written through an AtomicFileWriter
/// or to a stream, or nowhere (to count what would be written). The target must outlive the sink.
class ScriptSink {
public:
    static ScriptSink into(std::string& out) { return ScriptSink(&out, nullptr, nullptr); }
    static ScriptSink into(AtomicFileWriter& file) { return ScriptSink(nullptr, &file, nullptr); }
    static ScriptSink into(std::ostream& stream) { return ScriptSink(nullptr, nullptr, &stream); }
    static ScriptSink nowhere() { return ScriptSink(nullptr, nullptr, nullptr); }

    /// Throws what AtomicFileWriter::write throws; a stream only records its failure.
    void write(std::string_view bytes) const {
        if (string_) {
            string_->append(bytes);
        } else if (file_) {
            file_->write(bytes);
        } else if (stream_) {
            stream_->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }

private:
    ScriptSink(std::string* string, AtomicFileWriter* file, std::ostream* stream)
        : string_(string), file_(file), stream_(stream) {}
    std::string* string_;
    AtomicFileWriter* file_;
    std::ostream* stream_;
};

/// What the body of a written script holds.
struct BodyCounts {
    std::size_t lines = 0;      ///< body lines written after the header
    std::size_t rewritten = 0;  ///< of them, the lines a rule changed
    /// The changed lines by the rule whose result stands, indexed by BodyRule (None stays 0).
    std::array<std::size_t, kBodyRuleCount> byRule{};
};

/// The "Comments=" value: for each comment line, one blank and then the trimmed line.
std::string joinComments(const std::vector<std::string>& comments);

/// Hands each property line of the header for `properties` to `line` as key and value ("Authors="
/// and the trimmed authors, …, "Comments=" and `joinedComments`), in header order, without the
/// fixed lines. For reports; the value is never copied.
void forEachPropertyLine(
    const ScriptProperties& properties, std::string_view joinedComments,
    const std::function<void(std::string_view key, std::string_view value)>& line);

/// Hands each line of the header for `properties` to `line` as two parts that together make the
/// line, without its line end: a key such as "Authors=" (or a whole fixed line) and a value (empty
/// for a fixed line), in order. The value is never copied.
void forEachHeaderLine(
    const ScriptProperties& properties, std::string_view joinedComments,
    const std::function<void(std::string_view key, std::string_view value)>& line);

/// A script's body, handed a line at a time (without its line end) to the function it is given.
using BodyLines = std::function<void(const std::function<void(std::string_view line)>&)>;

/// Writes the converted script of `properties` and the body lines `body` to `out`.
void writeConvertedScript(const ScriptProperties& properties, const std::vector<std::string>& body,
                          const ScriptSink& out);

/// As above, for a body that is not held as a list.
void writeConvertedScript(const ScriptProperties& properties, const BodyLines& body,
                          const ScriptSink& out);

/// Writes the converted script of `conversion` to `out`: the header for its properties and
/// joined comments, then each body line as it is converted, its tabs expanded piece by piece.
/// `onRewrite`, when given, sees each body line a rule changed. Returns what the body held.
BodyCounts writeConvertedScript(
    StreamingConversion& conversion, const ScriptSink& out,
    const std::function<void(const StreamingConversion::BodyLine&)>& onRewrite = {});

/// The complete converted script of `properties` and `body` as bytes.
std::string renderOutputScript(const ScriptProperties& properties,
                               const std::vector<std::string>& body);

/// Writes the converted script of `properties` and `body` to `path` with an AtomicFileWriter, so
/// an existing file is replaced (or, with IfTargetExists::Fail, kept) atomically. Throws FileError
/// `Cannot create file "PATH". REASON`; an existing file is then left as it was.
void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const std::vector<std::string>& body, IfTargetExists ifExists);

/// As above, for a body that is not held as a list.
void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const BodyLines& body, IfTargetExists ifExists);

}  // namespace quillshift
