// Fuzz target for the script pipeline: arbitrary bytes go through the NUL check, the line
// splitter, the converter and the writer's rendering, once with line lists (as the window does)
// and once streaming (as the batch converter does). Any broken invariant aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "base/FileError.h"
#include "base/TextOps.h"
#include "conversion/LanguageTable.h"
#include "conversion/LegacyConverter.h"
#include "conversion/ScriptLoader.h"
#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"
#include "conversion/Windows1252.h"

namespace {

using namespace quillshift;

constexpr std::string_view kPath = "fuzz.ifs";

bool isTerminator(char c) {
    return c == '\r' || c == '\n';
}

// The load rules written out byte by byte: a line ends at CR or LF; after it one CR, then one LF
// is skipped; a last line without terminator counts; every tab becomes four blanks.
std::vector<std::string> referenceSplit(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    bool open = false;  // a line has started and not yet ended
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (!isTerminator(c)) {
            line.append(c == '\t' ? 4 : 1, c == '\t' ? ' ' : c);
            open = true;
            ++i;
            continue;
        }
        lines.push_back(line);
        line.clear();
        open = false;
        if (text[i] == '\r') {
            ++i;
        }
        if (i < text.size() && text[i] == '\n') {
            ++i;
        }
    }
    if (open) {
        lines.push_back(line);
    }
    return lines;
}

// The 1-based line on which a NUL at `nul` sits: one more than the lines ending before it.
std::size_t referenceNulLine(std::string_view text, std::size_t nul) {
    const std::string_view before = text.substr(0, nul);
    std::size_t complete = referenceSplit(before).size();
    if (!before.empty() && !isTerminator(before.back())) {
        --complete;  // the last line of `before` is the NUL's own line
    }
    return complete + 1;
}

bool startsWithProgram(std::string_view line) {
    constexpr std::string_view kProgram = "PROGRAM ";
    if (line.size() < kProgram.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kProgram.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != kProgram[i]) {
            return false;
        }
    }
    return true;
}

bool holdsTabOrBreak(std::string_view s) {
    return s.find_first_of("\t\r\n") != std::string_view::npos;
}

bool isTrimmed(std::string_view s) {
    return s.empty() || (static_cast<unsigned char>(s.front()) > 32 &&
                         static_cast<unsigned char>(s.back()) > 32);
}

// What each rule may do to a line, whatever else the line holds.
void checkBodyLine(std::string_view before, std::string_view after, BodyRule rule) {
    switch (rule) {
        case BodyRule::None:
            FUZZ_CHECK(after == before);
            break;
        case BodyRule::GetPicture:
            FUZZ_CHECK(after.size() < before.size());
            break;
        case BodyRule::DisplayResults:
            FUZZ_CHECK(after.size() == before.size() + 2);
            FUZZ_CHECK(after.find("//") != std::string_view::npos);
            break;
        case BodyRule::CheckVersion:
            FUZZ_CHECK(after.find("(3,5,0)") != std::string_view::npos);
            break;
        case BodyRule::VersionMessage:
            FUZZ_CHECK(after.starts_with("  ShowMessage('This script requires a newer version"));
            break;
    }
    FUZZ_CHECK(!holdsTabOrBreak(after));
}

// Splits a rendered file at CR LF; every CR and every LF must belong to one of those pairs.
std::vector<std::string_view> renderedLines(std::string_view file) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find("\r\n", start);
        FUZZ_CHECK(end != std::string_view::npos);  // the last line ends with CR LF too
        lines.push_back(file.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void checkRenderedFile(std::string_view file, const ScriptProperties& properties,
                       const std::vector<std::string>& body) {
    const std::vector<std::string_view> lines = renderedLines(file);
    FUZZ_CHECK(lines.size() == kScriptHeaderLineCount + body.size());
    for (std::string_view line : lines) {
        FUZZ_CHECK(!holdsTabOrBreak(line));
    }
    FUZZ_CHECK(lines[5] == "[Infos]");
    const std::string_view language = lines[10];
    FUZZ_CHECK(language.starts_with("Language="));
    bool known = false;
    for (const LanguageRow& row : LanguageTable::rows()) {
        known = known || language.substr(9) == row.code;
    }
    FUZZ_CHECK(known);
    FUZZ_CHECK(language.substr(9) == properties.languageCode());
    for (std::size_t i = 0; i < body.size(); ++i) {
        FUZZ_CHECK(lines[kScriptHeaderLineCount + i] == body[i]);
    }
}

void checkProperties(const ScriptProperties& properties) {
    FUZZ_CHECK(properties.language < LanguageTable::kSize);
    FUZZ_CHECK(properties.version.empty());
    for (const std::string* field :
         {&properties.authors, &properties.title, &properties.description, &properties.site}) {
        FUZZ_CHECK(!holdsTabOrBreak(*field));
    }
    for (const std::string& comment : properties.comments) {
        FUZZ_CHECK(!comment.empty());
        FUZZ_CHECK(isTrimmed(comment));
        FUZZ_CHECK(!holdsTabOrBreak(comment));
    }
}

// Converts each line from a heap block of exactly its length, so that a read past the end of a
// line is caught by AddressSanitizer (a std::string has spare capacity and a terminator). Uses the
// converter's view results, as streaming does: an unchanged line is handed back as the line
// itself, so it must view exactly the input block.
std::vector<std::string> convertFromExactBuffers(const std::vector<std::string>& lines,
                                                 ScriptProperties& properties,
                                                 std::vector<BodyRule>& rules) {
    std::vector<std::string> body;
    LegacyConverter converter(properties);
    std::string scratch;
    for (const std::string& line : lines) {
        const auto exact = std::make_unique<char[]>(line.size());
        std::memcpy(exact.get(), line.data(), line.size());
        const std::string_view in(exact.get(), line.size());
        std::string_view out;
        BodyRule rule = BodyRule::None;
        if (converter.convertLine(in, scratch, out, &rule)) {
            FUZZ_CHECK(rule != BodyRule::None || (out.data() == in.data() && out == in));
            body.emplace_back(out);
            rules.push_back(rule);
        }
    }
    return body;
}

// What the line-list conversion gave, for the streaming one to match.
struct LineListResult {
    const ScriptProperties& properties;
    const std::vector<std::string>& lines;
    const std::vector<std::string>& body;
    const std::vector<BodyRule>& rules;
    std::size_t programLine;
};

// Streaming gives the same properties, lines and bytes.
void checkStreaming(std::string_view text, const LineListResult& expected,
                    const std::string& file) {
    StreamingConversion streaming(text);
    ScriptProperties withoutComments = expected.properties;
    withoutComments.comments.clear();
    FUZZ_CHECK(streaming.properties() == withoutComments);
    FUZZ_CHECK(streaming.joinedComments() == joinComments(expected.properties.comments));
    std::string streamed;
    std::size_t count = 0;
    std::size_t changed = 0;
    const auto checkLine = [&](const StreamingConversion::BodyLine& line) {
        FUZZ_CHECK(count < expected.body.size());
        FUZZ_CHECK(line.lineNumber == expected.programLine + count + 1);
        // Body lines come with their tabs; expanded, they are the line lists' lines.
        FUZZ_CHECK(text::expandTabs(line.before) == expected.lines[expected.programLine + count]);
        FUZZ_CHECK(text::expandTabs(line.after) == expected.body[count]);
        FUZZ_CHECK(line.tabs == (line.before.find('\t') != std::string_view::npos));
        FUZZ_CHECK(line.raw.substr(0, line.before.size()) == line.before);
        FUZZ_CHECK(line.rule == expected.rules[count]);
        ++count;
    };
    StreamingConversion checked(text);
    StreamingConversion::BodyLine line{};
    while (checked.nextBodyLine(line)) {
        checkLine(line);
        changed += line.rule != BodyRule::None && line.after != line.before ? 1U : 0U;
    }
    FUZZ_CHECK(count == expected.body.size());
    const BodyCounts counts = writeConvertedScript(streaming, ScriptSink::into(streamed));
    FUZZ_CHECK(counts.lines == expected.body.size());
    FUZZ_CHECK(counts.rewritten == changed);
    FUZZ_CHECK(streamed == file);
}

// Checking never changes what is written; the repairs (all but the program line's, which moves
// the body's start) change only the lines that have one, each into its repaired text, and the
// streaming conversion agrees.
void checkWarnings(std::string_view text, const std::vector<std::string>& lines,
                   const std::vector<std::string>& body, const std::string& file) {
    ScriptProperties properties;
    std::vector<std::string> checked;
    ConversionNotes notes;
    convertLegacyScript(lines, checked, properties, &notes);
    FUZZ_CHECK(checked == body);
    WarningCodeSet fixes;
    for (const WarningCode code : allWarningCodes()) {
        if (code != WarningCode::ProgramLineNotRecognised) {
            fixes.insert(code);
        }
    }
    ScriptProperties fixedProperties;
    std::vector<std::string> fixed;
    convertLegacyScript(lines, fixed, fixedProperties, nullptr, fixes);
    FUZZ_CHECK(fixed.size() == body.size());
    FUZZ_CHECK(fixedProperties == properties);
    const std::size_t headerLines = notes.header.size();
    std::size_t next = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const bool repaired =
            next < notes.repairs.size() && notes.repairs[next].line == headerLines + i + 1;
        FUZZ_CHECK(fixed[i] == (repaired ? notes.repairs[next].text : body[i]));
        FUZZ_CHECK(!holdsTabOrBreak(fixed[i]));
        next += repaired ? 1U : 0U;
    }
    FUZZ_CHECK(next == notes.repairs.size());
    for (const ConversionWarning& warning : notes.warnings) {
        FUZZ_CHECK(warning.line >= 1 && warning.line <= std::max<std::size_t>(lines.size(), 1));
        FUZZ_CHECK(warning.column >= 1);
        FUZZ_CHECK(!warning.message.empty());
    }

    StreamingConversion streaming(text, {true, {}});
    std::string streamed;
    writeConvertedScript(streaming, ScriptSink::into(streamed));
    FUZZ_CHECK(streamed == file);
    FUZZ_CHECK(streaming.warnings().size() == notes.warnings.size());
    StreamingConversion streamingFixed(text, {true, fixes});
    std::string streamedFixed;
    writeConvertedScript(streamingFixed, ScriptSink::into(streamedFixed));
    FUZZ_CHECK(streamedFixed == renderOutputScript(fixedProperties, fixed));
}

void checkPipeline(std::string_view text) {
    // Loading.
    const std::vector<std::string> lines = splitScriptLines(text);
    FUZZ_CHECK(lines == referenceSplit(text));

    // Converting with line lists: one output line per line from the program line on.
    ScriptProperties properties;
    std::vector<std::string> body;
    convertLegacyScript(lines, body, properties);
    std::size_t programLine = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (startsWithProgram(lines[i])) {
            programLine = i;
            break;
        }
    }
    FUZZ_CHECK(body.size() == lines.size() - programLine);
    checkProperties(properties);

    ScriptProperties exactProperties;
    std::vector<BodyRule> rules;
    FUZZ_CHECK(convertFromExactBuffers(lines, exactProperties, rules) == body);
    FUZZ_CHECK(exactProperties == properties);
    for (std::size_t i = 0; i < body.size(); ++i) {
        checkBodyLine(lines[programLine + i], body[i], rules[i]);
    }

    // Rendering the file.
    const std::string file = renderOutputScript(properties, body);
    checkRenderedFile(file, properties, body);

    checkStreaming(text, {properties, lines, body, rules, programLine}, file);
    checkWarnings(text, lines, body, file);

    // The window shows the lines as Unicode and saves them back: every byte survives.
    for (const std::string& l : lines) {
        FUZZ_CHECK(windows1252::fromUtf8(windows1252::toUtf8(l)) == l);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = bytes.find('\0');
    std::string message;
    try {
        requireNoNulByte(std::string(kPath), bytes);
    } catch (const FileError& error) {
        message = error.what();
    }
    if (nul == std::string_view::npos) {
        FUZZ_CHECK(message.empty());
        FUZZ_CHECK(findNulLine(bytes) == 0);
        checkPipeline(bytes);
        return 0;
    }
    // A file with a NUL byte is refused, naming its line.
    const std::size_t line = referenceNulLine(bytes, nul);
    FUZZ_CHECK(findNulLine(bytes) == line);
    FUZZ_CHECK(message == "Cannot open file \"fuzz.ifs\". The file contains a NUL byte (line " +
                              std::to_string(line) + "); it is not an 8-bit text script.");
    // The text before the NUL is still worth converting.
    checkPipeline(bytes.substr(0, nul));
    return 0;
}
