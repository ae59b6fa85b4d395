#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillshift {

/// Reads the whole file at `path` as bytes. Only regular files are read: a pipe (which may wait
/// for a writer for ever), a socket or a device (such as /dev/zero, which never ends) is refused at
/// once, without waiting. A file larger than `maxSize` bytes is refused with `tooLargeReason`,
/// before reading when its size says so, else (a file that grows while read) as soon as the
/// reading passes the limit, so memory never holds more than the limit.
/// Throws FileError `Cannot open file "PATH". REASON`, with the errno behind it where there is one
/// (a missing file gives ENOENT, a folder EISDIR).
std::string readRegularFile(const std::string& path, std::size_t maxSize,
                            std::string_view tooLargeReason);

}  // namespace quillshift
