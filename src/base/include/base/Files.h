#pragma once

#include <optional>
#include <string>

// What a path names, asked of the system the same way everywhere. Never throw.
namespace quillshift::files {

/// True when `path` names a folder, following symbolic links.
bool isFolder(const std::string& path);

/// True when `path` itself is a symbolic link (on Windows also a junction: a reparse point that
/// leads elsewhere).
bool isSymbolicLink(const std::string& path);

/// `path` made absolute, with every symbolic link on it resolved; "" when it leads nowhere.
std::string realPath(const std::string& path);

/// When a file was last changed: seconds and nanoseconds since 1970 (UTC).
struct FileTime {
    long long seconds = 0;
    long nanoseconds = 0;
};

/// The time the file at `path` was last changed, or nothing when it cannot be looked at.
std::optional<FileTime> modificationTime(const std::string& path);

}  // namespace quillshift::files
