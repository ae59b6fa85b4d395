#include "base/FileReading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "base/FileError.h"
#include "base/PosixFolder.h"

namespace quillshift {

namespace {

constexpr std::string_view kNotRegular = "It is a device, pipe or socket, not a regular file.";

[[noreturn]] void fail(const std::string& path, int errorNumber) {
    throw FileError::cannotOpen(path, systemErrorText(errorNumber), errorNumber);
}

}  // namespace

std::string readRegularFile(const FileLocation& location, std::size_t maxSize,
                            std::string_view tooLargeReason, FileIdentity* identity) {
    const std::string& path = location.path;
    const posix::FolderOf at = posix::openFolderOf(location, false);
    if (!at.folder.valid()) {
        throw FileError::cannotOpen(path, at.reason, at.error);
    }
    const bool follow = location.followsOwnName();
    const char* name = at.name.empty() ? "." : at.name.c_str();
    // Anything but a regular file or folder is refused before it is opened: opening a pipe waits
    // for a writer, and opening a device may wait or have effects.
    if (struct stat before{};
        ::fstatat(at.folder.get(), name, &before, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(before.st_mode)) {
            throw FileError::cannotOpen(path, linkNotFollowedReason(path), ELOOP);
        }
        if (!S_ISREG(before.st_mode) && !S_ISDIR(before.st_mode)) {
            throw FileError::cannotOpen(path, kNotRegular);
        }
    }
    // Without blocking, in case the file was replaced by a pipe in the meantime: fstat tells.
    const posix::Descriptor file(
        ::openat(at.folder.get(), name,
                 O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (follow ? 0 : O_NOFOLLOW)));
    if (!file.valid()) {
        if (errno == ELOOP && !follow) {
            throw FileError::cannotOpen(path, linkNotFollowedReason(path), ELOOP);
        }
        fail(path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        fail(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        fail(path, EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileError::cannotOpen(path, kNotRegular);
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxSize) {
        throw FileError::cannotOpen(path, tooLargeReason);
    }
    if (identity) {
        *identity = {static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino)};
    }
    std::string bytes;
    if (info.st_size > 0) {
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    char chunk[65536];
    while (true) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(path, errno);
        }
        if (got == 0) {
            return bytes;
        }
        // A file that grew after fstat may go on past the limit.
        if (static_cast<std::size_t>(got) > maxSize - bytes.size()) {
            throw FileError::cannotOpen(path, tooLargeReason);
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string readBounded(const std::string& path, bool standardInput, std::size_t maxSize,
                        int& error) {
    error = 0;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return {};
    }
    std::string text;
    char chunk[65536];
    while (true) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        if (static_cast<std::size_t>(got) > maxSize - text.size()) {
            error = EFBIG;
            break;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
    if (!standardInput) {
        ::close(fd);
    }
    return text;
}

}  // namespace quillshift
