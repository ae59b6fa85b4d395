#include "cli/ShownText.h"

#include <cstdint>

namespace quillshift::cli {

namespace {

// Length of the UTF-8 character at `at` that is safe to show, or 0 for a control character or a
// byte that does not start a valid character.
std::size_t printableLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(at);
    if (first < 0x20 || first == 0x7F) {
        return 0;
    }
    if (first < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    char32_t code = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
        code = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        code = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        code = first & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool c1 = code >= 0x80 && code <= 0x9F;
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || c1 || surrogate || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

bool needsQuoting(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = printableLength(text, at);
        if (length == 0) {
            return true;
        }
        at += length;
    }
    return false;
}

std::string shellEscape(unsigned char byte) {
    switch (byte) {
        case '\a':
            return "\\a";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\v':
            return "\\v";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        default:
            break;
    }
    std::string octal = "\\000";
    octal[1] = static_cast<char>('0' + ((byte >> 6) & 7));
    octal[2] = static_cast<char>('0' + ((byte >> 3) & 7));
    octal[3] = static_cast<char>('0' + (byte & 7));
    return octal;
}

}  // namespace

std::string shownName(std::string_view path) {
    if (!needsQuoting(path)) {
        return std::string(path);
    }
    // Printable runs go in single quotes, every other byte in $'...'.
    std::string quoted;
    bool inQuotes = false;
    for (std::size_t at = 0; at < path.size();) {
        const std::size_t length = printableLength(path, at);
        if (length == 0) {
            if (inQuotes) {
                quoted += '\'';
                inQuotes = false;
            }
            quoted.append("$'")
                .append(shellEscape(static_cast<unsigned char>(path[at])))
                .append("'");
            ++at;
            continue;
        }
        if (path[at] == '\'') {
            if (inQuotes) {
                quoted += '\'';
                inQuotes = false;
            }
            quoted += "\\'";
        } else {
            if (!inQuotes) {
                quoted += '\'';
                inQuotes = true;
            }
            quoted.append(path.substr(at, length));
        }
        at += length;
    }
    if (inQuotes) {
        quoted += '\'';
    }
    return quoted;
}

std::string quotedName(std::string_view path) {
    if (needsQuoting(path)) {
        return shownName(path);
    }
    std::string quoted = "\"";
    quoted.append(path).push_back('"');
    return quoted;
}

std::string printableText(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = printableLength(utf8, at);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(utf8[at]);
            shown.append("\\x").push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 15]);
            ++at;
        } else {
            shown.append(utf8.substr(at, length));
            at += length;
        }
    }
    return shown;
}

}  // namespace quillshift::cli
