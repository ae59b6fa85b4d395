#pragma once

#ifdef _WIN32
#include <string>

#include "base/Win32.h"
#endif

// What the system says about a missing file or folder, as the programs pass it on: the C library's
// words on POSIX systems, Windows' own on Windows (in the system's language, and Wine's words
// under Wine).
namespace quillshift::testing {

#ifdef _WIN32
inline const std::string kMissingFile = win32::errorText(ERROR_FILE_NOT_FOUND);
inline const std::string kMissingFolder = win32::errorText(ERROR_PATH_NOT_FOUND);
/// A path that goes on below a file.
inline const std::string kNotAFolder = kMissingFolder;
#else
inline constexpr const char* kMissingFile = "No such file or directory";
inline constexpr const char* kMissingFolder = "No such file or directory";
inline constexpr const char* kNotAFolder = "Not a directory";
#endif

}  // namespace quillshift::testing
