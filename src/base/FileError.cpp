#include "base/FileError.h"

#include <cstring>

namespace quillshift {

namespace {
std::string message(std::string_view action, std::string_view path, std::string_view reason) {
    std::string text;
    text.reserve(action.size() + path.size() + reason.size() + 5);
    text.append(action).append(" \"").append(path).append("\". ").append(reason);
    return text;
}
}  // namespace

FileError::FileError(std::string_view action, std::string_view path, std::string_view reason,
                     int errorNumber)
    : std::runtime_error(message(action, path, reason)),
      action_(action),
      path_(path),
      reason_(reason),
      errorNumber_(errorNumber) {}

FileError FileError::cannotOpen(std::string_view path, std::string_view reason, int errorNumber) {
    return {"Cannot open file", path, reason, errorNumber};
}

FileError FileError::cannotCreate(std::string_view path, std::string_view reason, int errorNumber) {
    return {"Cannot create file", path, reason, errorNumber};
}

std::string systemErrorText(int errorNumber) {
    char buffer[256];
#ifdef _WIN32
    // The C run-time of Windows has no strerror_r.
    const char* text = strerror_s(buffer, sizeof buffer, errorNumber) == 0 ? buffer : nullptr;
#else
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
#endif
    return text ? std::string(text) : std::string("Unknown error");
}

}  // namespace quillshift
