// Fuzz target for the settings file: arbitrary bytes are parsed as an INI file, read, changed and
// written back as text, and read again as the window's settings. Any broken invariant aborts.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "settings/IniFile.h"
#include "settings/WindowSettings.h"

namespace {

using namespace quillshift;

constexpr std::string_view kMissing = "\x01missing";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using Name = std::pair<std::string, std::string>;  // section, key

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= 32) {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) {
        s.remove_suffix(1);
    }
    return s;
}

// The number forms of the settings file, decoded with the standard library: an optional sign,
// then decimal digits, or "0x"/"0X"/"$" and hexadecimal digits; the result must fit an int.
std::optional<int> referenceInteger(std::string_view value) {
    value = trimmed(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    int base = 10;
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        base = 16;
        value.remove_prefix(2);
    } else if (value.starts_with('$')) {
        base = 16;
        value.remove_prefix(1);
    }
    if (value.empty() || value.front() == '-' || value.front() == '+') {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(value.data(), value.data() + value.size(), magnitude, base);
    if (error != std::errc() || end != value.data() + value.size()) {
        return std::nullopt;
    }
    if (magnitude > (negative ? 2147483648ULL : 2147483647ULL)) {
        return std::nullopt;
    }
    return static_cast<int>(negative ? -static_cast<std::int64_t>(magnitude)
                                     : static_cast<std::int64_t>(magnitude));
}

// Names to read and write: the window's own keys, and the first few names that look like a
// section or a key in the text (whether or not the parser agrees).
std::vector<Name> probeNames(std::string_view text) {
    std::vector<Name> names{{"Form", "Height"}, {"Form", "Width"},     {"Form", "Top"},
                            {"Form", "Left"},   {"Form", "Maximized"}, {"Path", "Input"}};
    std::string section;
    std::size_t start = 0;
    while (start < text.size() && names.size() < 12) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = trimmed(text.substr(start, end - start));
        if (line.starts_with('[') && line.find(']') != std::string_view::npos) {
            section = std::string(trimmed(line.substr(1, line.find(']') - 1)));
        } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            names.emplace_back(section, std::string(trimmed(line.substr(0, equals))));
        }
        start = end + 1;
    }
    return names;
}

bool sameName(const Name& a, const Name& b) {
    const auto equal = [](std::string_view x, std::string_view y) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
        return x.size() == y.size() &&
               std::equal(x.begin(), x.end(), y.begin(),
                          [&](char p, char q) { return upper(p) == upper(q); });
    };
    return equal(a.first, b.first) && equal(a.second, b.second);
}

std::vector<std::string> readAll(const IniFile& file, const std::vector<Name>& names) {
    std::vector<std::string> values;
    values.reserve(names.size());
    for (const auto& [section, key] : names) {
        values.push_back(file.readString(section, key, kMissing));
    }
    return values;
}

void checkReads(const IniFile& file, const std::vector<Name>& names) {
    for (const auto& [section, key] : names) {
        const std::string value = file.readString(section, key, kMissing);
        if (value == kMissing) {
            FUZZ_CHECK(file.readInteger(section, key, -7) == -7);
            continue;
        }
        FUZZ_CHECK(value.size() <= IniFile::kMaxTextLength);
        FUZZ_CHECK(value.find('\n') == std::string::npos);
        FUZZ_CHECK(value.find('\0') == std::string::npos);
        const std::optional<int> number = IniFile::parseInteger(value);
        FUZZ_CHECK(number == referenceInteger(value));
        if (value.size() < IniFile::kMaxTextLength) {  // not cut: the integer reads the same text
            FUZZ_CHECK(file.readInteger(section, key, -7) == number.value_or(-7));
            FUZZ_CHECK(file.readBool(section, key, true) == (number.value_or(1) != 0));
        }
    }
}

// The text written for a parsed file is the input with a line break added when the input's last
// line has none (in the style of the first line).
void checkText(std::string_view input, const IniFile& file) {
    const std::string text = file.text();
    std::string_view body = input;
    if (body.starts_with(kByteOrderMark)) {
        body.remove_prefix(kByteOrderMark.size());
    }
    if (body.empty() || body.ends_with('\n')) {
        FUZZ_CHECK(text == input);
    } else {
        const std::size_t firstBreak = body.find('\n');
        const bool crlf =
            firstBreak != std::string_view::npos && firstBreak > 0 && body[firstBreak - 1] == '\r';
        FUZZ_CHECK(text == std::string(input) + (crlf ? "\r\n" : "\n"));
    }
}

void checkWrite(IniFile& file, const std::vector<Name>& names, std::size_t target,
                std::string_view value) {
    const std::vector<std::string> before = readAll(file, names);
    const std::string textBefore = file.text();
    const auto& [section, key] = names[target];
    try {
        file.writeString(section, key, value);
    } catch (const std::invalid_argument&) {
        FUZZ_CHECK(file.text() == textBefore);  // a refused write changes nothing
        return;
    }
    FUZZ_CHECK(file.readString(section, key, kMissing) == value);
    const std::vector<std::string> after = readAll(file, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        FUZZ_CHECK(sameName(names[i], names[target]) ? after[i] == value : after[i] == before[i]);
    }
    const std::string text = file.text();
    FUZZ_CHECK(IniFile::parse(text).text() == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    IniFile file = IniFile::parse(input);
    checkText(input, file);
    const std::string text = file.text();
    FUZZ_CHECK(IniFile::parse(text).text() == text);

    const std::vector<Name> names = probeNames(input);
    checkReads(file, names);

    // The window's settings read, written back and read again are unchanged.
    const ScreenSize screen{1920, 1080};
    const WindowSettings settings = WindowSettings::read(file, screen, "/opt/quillshift/");
    IniFile rewritten = file;
    settings.write(rewritten);
    FUZZ_CHECK(WindowSettings::read(rewritten, screen, "/opt/quillshift/") == settings);
    FUZZ_CHECK(WindowSettings::read(IniFile::parse(rewritten.text()), screen, "/opt/quillshift/") ==
               settings);

    // Writing one key changes that key only. The value is the input's last line (up to 64 bytes),
    // so that values with blanks, quotes and odd bytes come from the corpus.
    std::string_view value =
        input.substr(input.rfind('\n') == std::string_view::npos ? 0 : input.rfind('\n') + 1);
    value = value.substr(0, 64);
    checkWrite(file, names, size % names.size(), value);
    return 0;
}
