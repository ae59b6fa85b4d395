#include "conversion/ScriptFileError.h"

#include <cstring>

namespace quillshift {

namespace {
ScriptFileError makeError(std::string_view what, std::string_view path, std::string_view reason) {
    std::string text;
    text.reserve(what.size() + path.size() + reason.size() + 5);
    text.append(what).append(" \"").append(path).append("\". ").append(reason);
    return ScriptFileError(text);
}
}  // namespace

ScriptFileError ScriptFileError::cannotOpen(std::string_view path, std::string_view reason) {
    return makeError("Cannot open file", path, reason);
}

ScriptFileError ScriptFileError::cannotCreate(std::string_view path, std::string_view reason) {
    return makeError("Cannot create file", path, reason);
}

std::string systemErrorText(int errorNumber) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error");
}

}  // namespace quillshift
