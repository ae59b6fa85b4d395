#include "settings/IniFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"
#include "base/FileReading.h"
#include "base/TextOps.h"
#include "base/Utf8.h"
#include "settings/SettingsWriteError.h"

namespace quillshift {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

enum class LineKind { Other, Section, Key };

// What one line of the file is. For a key, the value is text.substr(valueBegin, valueEnd -
// valueBegin), blanks at both ends excluded; `equals` is the position of its '='.
struct LineShape {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::size_t equals = 0;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

LineShape shapeOf(std::string_view line) {
    LineShape shape;
    const std::string_view trimmed = text::trimView(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') {
        return shape;
    }
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            shape.kind = LineKind::Section;
            shape.name = text::trimView(trimmed.substr(1, close - 1));
        }
        return shape;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return shape;
    }
    shape.name = text::trimView(line.substr(0, equals));
    if (shape.name.empty()) {
        return shape;
    }
    shape.kind = LineKind::Key;
    shape.equals = equals;
    std::size_t begin = equals + 1;
    std::size_t end = line.size();
    while (begin < end && isBlank(line[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(line[end - 1])) {
        --end;
    }
    shape.valueBegin = begin;
    shape.valueEnd = end;
    return shape;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool isQuotedPair(std::string_view value) {
    return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

// Cuts `value` to at most `limit` bytes without splitting a UTF-8 character at the cut. Bytes that
// are not UTF-8 are cut at the limit exactly.
std::string_view cutToLimit(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) {
        return value;
    }
    const auto isContinuation = [&](std::size_t i) {
        return (static_cast<unsigned char>(value[i]) & 0xC0) == 0x80;
    };
    if (isContinuation(limit)) {
        std::size_t start = limit;
        while (start > 0 && limit - start < 3 && isContinuation(start)) {
            --start;
        }
        const std::size_t length = utf8::sequenceLength(static_cast<unsigned char>(value[start]));
        if (start + length > limit) {
            return value.substr(0, start);
        }
    }
    return value.substr(0, limit);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool holdsLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void checkName(std::string_view name, bool isSection) {
    const char* const what = isSection ? "section name" : "key name";
    const auto reject = [&](const char* why) {
        throw std::invalid_argument(std::string("The INI ") + what + " \"" + std::string(name) +
                                    "\" " + why + ".");
    };
    if (name.empty()) {
        reject("is empty");
    }
    if (isBlank(name.front()) || isBlank(name.back())) {
        reject("starts or ends with a blank");
    }
    if (holdsLineBreakOrNul(name)) {
        reject("holds a line break or NUL byte");
    }
    if (isSection && name.find(']') != std::string_view::npos) {
        reject("holds ']'");
    }
    if (!isSection) {
        if (name.find('=') != std::string_view::npos) {
            reject("holds '='");
        }
        if (name.front() == ';' || name.front() == '#' || name.front() == '[') {
            reject("starts with ';', '#' or '['");
        }
    }
}

// The value as it goes into the file: inside '"' when reading would otherwise change it.
std::string encodeValue(std::string_view value) {
    const bool quote =
        !value.empty() && (isBlank(value.front()) || isBlank(value.back()) || isQuotedPair(value));
    if (!quote) {
        return std::string(value);
    }
    std::string encoded;
    encoded.reserve(value.size() + 2);
    encoded.append(1, '"').append(value).append(1, '"');
    return encoded;
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
    IniFile file;
    if (text.starts_with(kByteOrderMark)) {
        file.byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    bool styleKnown = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view piece = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        Line line;
        if (end != std::string_view::npos) {
            line.crlf = piece.ends_with('\r');
            if (line.crlf) {
                piece.remove_suffix(1);
            }
            if (!styleKnown) {
                file.crlf_ = line.crlf;
                styleKnown = true;
            }
        }
        line.text = std::string(piece);
        file.lines_.push_back(std::move(line));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    // A last line without a line break gets the file's style when written.
    if (!file.lines_.empty() && !text.ends_with('\n')) {
        file.lines_.back().crlf = file.crlf_;
    }
    return file;
}

IniFile IniFile::load(const std::string& path) {
    IniFile file;
    try {
        file = parse(readRegularFile(path, kMaxFileSize,
                                     "It is larger than 1 MiB, too large to be a settings file."));
    } catch (const FileError& error) {
        // A missing file (or folder) is the first start, not a problem.
        if (error.errorNumber() != ENOENT && error.errorNumber() != ENOTDIR) {
            file.problem_ = error.what();
        }
    }
    file.path_ = path;
    return file;
}

std::optional<std::size_t> IniFile::findKey(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const LineShape shape = shapeOf(lines_[i].text);
        if (shape.kind == LineKind::Section) {
            inSection = text::equalsIgnoringAsciiCase(shape.name, section);
        } else if (shape.kind == LineKind::Key && inSection &&
                   text::equalsIgnoringAsciiCase(shape.name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> IniFile::findValue(std::string_view section,
                                                   std::string_view key) const {
    const std::optional<std::size_t> index = findKey(section, key);
    if (!index) {
        return std::nullopt;
    }
    const std::string_view line = lines_[*index].text;
    const LineShape shape = shapeOf(line);
    std::string_view value = line.substr(shape.equals + 1);
    value = text::trimView(value.substr(0, value.find('\0')));
    if (isQuotedPair(value)) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const std::optional<std::string_view> found = findValue(section, key);
    if (!found) {
        return std::string(defaultValue);
    }
    return std::string(cutToLimit(*found, kMaxTextLength));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const std::optional<std::string_view> value = findValue(section, key);
    if (!value) {
        return defaultValue;
    }
    return parseInteger(*value).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    checkName(section, true);
    checkName(key, false);
    if (holdsLineBreakOrNul(value)) {
        throw std::invalid_argument("The value for INI key \"" + std::string(key) +
                                    "\" holds a line break or NUL byte.");
    }
    const std::string encoded = encodeValue(value);

    if (const std::optional<std::size_t> index = findKey(section, key)) {
        std::string& line = lines_[*index].text;
        const LineShape shape = shapeOf(line);
        // Keep the blanks after '=' only when they separated it from a value, and never a NUL
        // byte among them: reading ends a value at its first NUL, so the new value would be lost.
        std::size_t keep = shape.valueBegin < shape.valueEnd ? shape.valueBegin : shape.equals + 1;
        keep = std::min(keep, line.find('\0', shape.equals + 1));
        line.resize(keep);
        line += encoded;
        return;
    }

    std::string keyLine;
    keyLine.reserve(key.size() + 1 + encoded.size());
    keyLine.append(key).append(1, '=').append(encoded);

    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const LineShape shape = shapeOf(lines_[i].text);
        if (shape.kind != LineKind::Section ||
            !text::equalsIgnoringAsciiCase(shape.name, section)) {
            continue;
        }
        std::size_t last = i;
        for (std::size_t j = i + 1; j < lines_.size(); ++j) {
            if (shapeOf(lines_[j].text).kind == LineKind::Section) {
                break;
            }
            if (!text::trimView(lines_[j].text).empty()) {
                last = j;
            }
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1),
                      Line{std::move(keyLine), crlf_});
        return;
    }

    if (!lines_.empty() && !text::trimView(lines_.back().text).empty()) {
        lines_.push_back(Line{std::string(), crlf_});
    }
    std::string header;
    header.reserve(section.size() + 2);
    header.append(1, '[').append(section).append(1, ']');
    lines_.push_back(Line{std::move(header), crlf_});
    lines_.push_back(Line{std::move(keyLine), crlf_});
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

std::string IniFile::text() const {
    std::size_t size = byteOrderMark_ ? kByteOrderMark.size() : 0;
    for (const Line& line : lines_) {
        size += line.text.size() + 2;
    }
    std::string out;
    out.reserve(size);
    if (byteOrderMark_) {
        out.append(kByteOrderMark);
    }
    for (const Line& line : lines_) {
        out.append(line.text).append(line.crlf ? "\r\n" : "\n");
    }
    return out;
}

void IniFile::save() const {
    if (path_.empty()) {
        throw SettingsWriteError(path_, "No file name was given.");
    }
    if (!problem_.empty()) {
        throw SettingsWriteError(path_, problem_ + " The file was left as it is.");
    }
    try {
        writeFileAtomically(path_, text(), IfTargetExists::Replace);
    } catch (const FileError& error) {
        throw SettingsWriteError(path_, error.what());
    }
}

std::optional<int> IniFile::parseInteger(std::string_view value) {
    value = text::trimView(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    int base = 10;
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        base = 16;
        value.remove_prefix(2);
    } else if (!value.empty() && value.front() == '$') {
        base = 16;
        value.remove_prefix(1);
    }
    if (value.empty()) {
        return std::nullopt;
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t magnitude = 0;
    for (const char c : value) {
        const int digit = hexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace quillshift
