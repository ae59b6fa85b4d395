#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillshift {

/// A script file that could not be read or written. what() is the complete text to show the user,
/// e.g. `Cannot open file "/home/ann/old.ifs". No such file or directory`; the parts are kept so
/// that a caller can show the path in its own way (quoted for a terminal, say).
class FileError : public std::runtime_error {
public:
    /// `Cannot open file "PATH". REASON`
    static FileError cannotOpen(std::string_view path, std::string_view reason,
                                int errorNumber = 0);
    /// `Cannot create file "PATH". REASON`
    static FileError cannotCreate(std::string_view path, std::string_view reason,
                                  int errorNumber = 0);

    /// "Cannot open file" or "Cannot create file".
    const std::string& action() const { return action_; }
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    /// The errno value behind the failure, or 0 when it has another cause.
    int errorNumber() const { return errorNumber_; }

private:
    FileError(std::string_view action, std::string_view path, std::string_view reason,
              int errorNumber);

    std::string action_;
    std::string path_;
    std::string reason_;
    int errorNumber_;
};

/// The system's text for an errno value ("Permission denied").
std::string systemErrorText(int errorNumber);

}  // namespace quillshift
