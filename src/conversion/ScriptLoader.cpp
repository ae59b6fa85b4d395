#include "conversion/ScriptLoader.h"

#include <algorithm>
#include <cstring>

#include "base/FileError.h"
#include "base/FileReading.h"
#include "base/TextOps.h"

namespace quillshift {

namespace {

constexpr std::string_view kTooLarge = "The file is larger than 1 GiB, too large to be a script.";

inline std::size_t findLineEnd(std::string_view bytes, std::size_t from) {
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t i = from;
    while (i < size && data[i] != '\r' && data[i] != '\n') {
        ++i;
    }
    return i;
}

inline std::size_t skipTerminator(std::string_view bytes, std::size_t at) {
    if (at < bytes.size() && bytes[at] == '\r') {
        ++at;
    }
    if (at < bytes.size() && bytes[at] == '\n') {
        ++at;
    }
    return at;
}

}  // namespace

std::size_t ScriptLineReader::findFrom(char c, std::size_t from) const {
    if (from >= bytes_.size()) {
        return bytes_.size();
    }
    const void* hit = std::memchr(bytes_.data() + from, c, bytes_.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data())
               : bytes_.size();
}

ScriptLineReader::ScriptLineReader(std::string_view bytes)
    : bytes_(bytes), nextCr_(findFrom('\r', 0)), nextLf_(findFrom('\n', 0)) {}

void ScriptLineReader::watchCommentOpeners() {
    watchingOpeners_ = true;
    nextBrace_ = findFrom('{', position_);
    nextStar_ = findFrom('*', position_);
}

bool ScriptLineReader::next(std::string_view& line, std::string& scratch) {
    std::string_view raw;
    if (!nextRaw(line, raw)) {
        return false;
    }
    if (line.find('\t') != std::string_view::npos) {
        text::expandTabsInto(line, scratch);
        line = scratch;
    }
    return true;
}

bool ScriptLineReader::nextRaw(std::string_view& line, std::string_view& raw) {
    if (position_ >= bytes_.size()) {
        return false;
    }
    // The next CR and LF are remembered until the reader passes them, so every byte is searched
    // at most once for each, whatever mix of line ends the text has.
    if (nextCr_ < position_) {
        nextCr_ = findFrom('\r', position_);
    }
    if (nextLf_ < position_) {
        nextLf_ = findFrom('\n', position_);
    }
    const std::size_t end = std::min(nextCr_, nextLf_);
    if (watchingOpeners_) {
        if (nextBrace_ < position_) {
            nextBrace_ = findFrom('{', position_);
        }
        if (nextStar_ < position_) {
            nextStar_ = findFrom('*', position_);
        }
        lineMayOpenComment_ = std::min(nextBrace_, nextStar_) < end;
    }
    line = bytes_.substr(position_, end - position_);
    const std::size_t next = skipTerminator(bytes_, end);
    raw = bytes_.substr(position_, next - position_);
    position_ = next;
    return true;
}

bool ScriptLineReader::next(std::string& line) {
    std::string_view view;
    if (!next(view, line)) {
        return false;
    }
    if (view.data() != line.data()) {
        line.assign(view);
    }
    return true;
}

std::vector<std::string> splitScriptLines(std::string_view bytes) {
    std::vector<std::string> lines;
    ScriptLineReader reader(bytes);
    while (reader.next(lines.emplace_back())) {
    }
    lines.pop_back();
    return lines;
}

std::size_t findNulLine(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) {
        return 0;
    }
    std::size_t lineNumber = 1;
    std::size_t position = 0;
    while (true) {
        const std::size_t end = findLineEnd(bytes, position);
        if (nul < end) {
            return lineNumber;
        }
        position = skipTerminator(bytes, end);
        if (nul < position) {
            // Cannot happen: terminators are CR and LF only.
            return lineNumber;
        }
        ++lineNumber;
    }
}

std::string readFileBytes(const std::string& path) {
    return readRegularFile(path, kMaxScriptFileSize, kTooLarge);
}

std::string readFileBytes(const FileLocation& location, FileIdentity* identity) {
    return readRegularFile(location, kMaxScriptFileSize, kTooLarge, identity);
}

void requireNoNulByte(const std::string& path, std::string_view bytes) {
    const std::size_t line = findNulLine(bytes);
    if (line != 0) {
        throw FileError::cannotOpen(path, "The file contains a NUL byte (line " +
                                              std::to_string(line) +
                                              "); it is not an 8-bit text script.");
    }
}

std::vector<std::string> loadScriptFile(const std::string& path) {
    const std::string bytes = readFileBytes(path);
    requireNoNulByte(path, bytes);
    return splitScriptLines(bytes);
}

}  // namespace quillshift
