#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/FileLocation.h"

namespace quillshift {

/// Reads the whole file at `location` as bytes. Only regular files are read: a pipe (which may
/// wait for a writer for ever), a socket or a device (such as /dev/zero, which never ends) is
/// refused at once, without waiting, and so is a symbolic link that the location does not follow.
/// A file larger than `maxSize` bytes is refused with `tooLargeReason`, before reading when its
/// size says so, else (a file that grows while read) as soon as the reading passes the limit, so
/// memory never holds more than the limit. With `identity`, it receives which file was read.
/// Throws FileError `Cannot open file "PATH". REASON`, with the errno behind it where there is one
/// (a missing file gives ENOENT, a folder EISDIR, a link not followed ELOOP).
std::string readRegularFile(const FileLocation& location, std::size_t maxSize,
                            std::string_view tooLargeReason, FileIdentity* identity = nullptr);

/// Reads standard input (with `standardInput`) or whatever `path` names, a pipe or a device that
/// may never end included, up to `maxSize` bytes. `error` receives 0, the errno of a failure to
/// open or read, or EFBIG when the input goes on past `maxSize` (reading stops there). Returns
/// what was read.
std::string readBounded(const std::string& path, bool standardInput, std::size_t maxSize,
                        int& error);

/// readRegularFile of a file the user named.
inline std::string readRegularFile(const std::string& path, std::size_t maxSize,
                                   std::string_view tooLargeReason) {
    return readRegularFile(FileLocation::given(path), maxSize, tooLargeReason);
}

}  // namespace quillshift
