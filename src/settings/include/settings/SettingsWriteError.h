#pragma once

#include <stdexcept>
#include <string>

namespace quillshift {

/// The settings file could not be written. what() is the text to show the user,
/// "Unable to write to PATH" with the settings file's full path; reason() tells why, for a log or a
/// details line (for example `Cannot create file "PATH". Permission denied`).
class SettingsWriteError : public std::runtime_error {
public:
    SettingsWriteError(const std::string& path, std::string reason);

    /// Why the write failed; may be empty.
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

}  // namespace quillshift
