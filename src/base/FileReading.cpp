#include "base/FileReading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "base/FileError.h"

namespace quillshift {

namespace {

constexpr std::string_view kNotRegular = "It is a device, pipe or socket, not a regular file.";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void fail(const std::string& path, int errorNumber) {
    throw FileError::cannotOpen(path, systemErrorText(errorNumber), errorNumber);
}

}  // namespace

std::string readRegularFile(const std::string& path, std::size_t maxSize,
                            std::string_view tooLargeReason) {
    // Anything but a regular file or folder is refused before it is opened: opening a pipe waits
    // for a writer, and opening a device may wait or have effects.
    if (struct stat before{}; ::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode) &&
                              !S_ISDIR(before.st_mode)) {
        throw FileError::cannotOpen(path, kNotRegular);
    }
    // Without blocking, in case the file was replaced by a pipe in the meantime: fstat tells.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) {
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

}  // namespace quillshift
