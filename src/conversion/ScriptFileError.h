#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillshift {

/// A script file that could not be read or written. what() is the complete text to show the user,
/// e.g. `Cannot open file "/home/ann/old.ifs". No such file or directory`.
class ScriptFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    /// `Cannot open file "PATH". REASON`
    static ScriptFileError cannotOpen(std::string_view path, std::string_view reason);
    /// `Cannot create file "PATH". REASON`
    static ScriptFileError cannotCreate(std::string_view path, std::string_view reason);
};

/// The system's text for an errno value ("Permission denied").
std::string systemErrorText(int errorNumber);

}  // namespace quillshift
