#include "cli/ShownText.h"

#include <cstdint>
#include <optional>

#include "base/Utf8.h"

namespace quillshift::cli {

namespace {

// Length of the UTF-8 character at `at` that is safe to show, or 0 for a control character or a
// byte that does not start a valid character.
std::size_t printableLength(std::string_view text, std::size_t at) {
    const std::optional<utf8::Character> c = utf8::decode(text, at);
    const bool control = !c || c->code < 0x20 || (c->code >= 0x7F && c->code <= 0x9F);
    return control ? 0 : c->length;
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
