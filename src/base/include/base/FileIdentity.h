#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace quillshift {

/// Which file a name stands for: its device and number on it. Two names of one file (through a
/// hard or symbolic link, "..", or on Windows another letter case or a short 8.3 name) have one
/// identity. On POSIX systems these are the device and inode numbers; on Windows the volume
/// serial number and the file index (its C run-time gives every file the inode number 0).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    bool operator==(const FileIdentity&) const = default;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads a defaulted <=>.
    auto operator<=>(const FileIdentity&) const = default;
};

/// The identity of the file or folder `path` names, following symbolic links; nothing when there
/// is none or it cannot be looked at. Never throws.
std::optional<FileIdentity> fileIdentity(const std::string& path);

/// The identity of the regular file that standard input (0), output (1) or error (2) is, or
/// nothing when it is a terminal, a pipe or a device. Never throws.
std::optional<FileIdentity> standardStreamIdentity(int stream);

}  // namespace quillshift
