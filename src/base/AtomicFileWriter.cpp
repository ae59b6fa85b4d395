#include "base/AtomicFileWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "base/FileError.h"
#include "base/Paths.h"
#include "base/TemporaryFiles.h"

namespace quillshift {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::string_view kTemporaryPrefix = "/.quillshift-";
constexpr std::string_view kExists = "The file already exists.";
constexpr std::string_view kNotRegular =
    "It is a device, pipe or socket, not a regular file, so it is not replaced.";

std::atomic<bool> namedTemporaryFilesOnly{false};

// Follows symbolic links so that saving replaces the file they point to, not a link.
std::string resolveLinks(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return path;  // a dangling link: it is replaced by the new file
    }
    return resolved;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Unnamed files are given a name through /proc; without it they cannot be used.
bool unnamedFilesPossible() {
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    return procMounted && !namedTemporaryFilesOnly.load();
}

std::string procPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

std::string randomTemporaryName(const std::string& folder) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random(std::random_device{}() ^
                                         static_cast<unsigned>(::getpid()));
    std::string name = folder;
    name.append(kTemporaryPrefix);
    for (int i = 0; i < 6; ++i) {
        name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    }
    return name;
}

[[noreturn]] void refuse(const std::string& path, std::string_view reason, int errorNumber) {
    throw FileError::cannotCreate(path, reason, errorNumber);
}

// Throws when `target` exists and may not be written in `ifExists` mode; returns whether it
// exists, with its status in `info`.
bool inspectTarget(const std::string& path, const std::string& target, IfTargetExists ifExists,
                   struct stat& info) {
    if (::stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            refuse(path, systemErrorText(errno), errno);
        }
        // Absent, or a dangling link, which counts as taken when nothing may be replaced.
        struct stat link {};
        if (ifExists == IfTargetExists::Fail && ::lstat(target.c_str(), &link) == 0) {
            refuse(path, kExists, EEXIST);
        }
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        refuse(path, systemErrorText(EISDIR), EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        refuse(path, kNotRegular, 0);
    }
    if (ifExists == IfTargetExists::Fail) {
        refuse(path, kExists, EEXIST);
    }
    if (info.st_nlink > 1) {
        refuse(path,
               "The file has " + std::to_string(info.st_nlink) +
                   " hard links; replacing it would leave the old contents under its other names.",
               EMLINK);
    }
    return true;
}

}  // namespace

namespace testing {
void useNamedTemporaryFiles(bool named) {
    namedTemporaryFilesOnly = named;
}
}  // namespace testing

void AtomicFileWriter::check(const std::string& path, IfTargetExists ifExists) {
    if (path.empty() || path.back() == '/') {
        struct stat info {};
        const int reason = !path.empty() && ::stat(path.c_str(), &info) == 0 ? EISDIR : ENOENT;
        refuse(path, systemErrorText(reason), reason);
    }
    const std::string target = resolveLinks(path);
    struct stat info {};
    inspectTarget(path, target, ifExists, info);
    const std::string folder = paths::folderOf(target);
    if (::stat(folder.c_str(), &info) != 0) {
        refuse(path, systemErrorText(errno), errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        refuse(path, systemErrorText(ENOTDIR), ENOTDIR);
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        refuse(path, systemErrorText(errno), errno);
    }
}

AtomicFileWriter::AtomicFileWriter(std::string path, IfTargetExists ifExists)
    : path_(std::move(path)), ifExists_(ifExists) {
    if (path_.empty() || path_.back() == '/') {
        check(path_, ifExists_);
    }
    targetPath_ = resolveLinks(path_);
    folder_ = paths::folderOf(targetPath_);
    struct stat info {};
    inspectTarget(path_, targetPath_, ifExists_, info);

    if (unnamedFilesPossible()) {
        fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    }
    if (fd_ < 0) {
        // Where the file system has no unnamed files: a named one, removed again on a signal.
        const temporary_files::SignalsHeld held;
        std::string pattern = folder_;
        pattern.append(kTemporaryPrefix).append("XXXXXX");
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ < 0) {
            fail(errno);
        }
        tempPath_ = pattern;
        cleanupSlot_ = temporary_files::add(tempPath_);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (fd_ < 0) {
        return;
    }
    if (buffer_.size() + bytes.size() <= kBufferSize) {
        buffer_.append(bytes);
        return;
    }
    flush();
    if (bytes.size() < kBufferSize) {
        buffer_.append(bytes);
    } else {
        writeAll(bytes);
    }
}

void AtomicFileWriter::flush() {
    writeAll(buffer_);
    buffer_.clear();
}

void AtomicFileWriter::writeAll(std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::commit() {
    if (fd_ < 0) {
        return;
    }
    flush();
    try {
        takeOverOwnership();
    } catch (...) {
        discard();
        throw;
    }
    if (::fsync(fd_) != 0) {
        fail(errno);
    }
    putInPlace();
    syncFolder();
}

// A replaced file keeps its owner, group and mode; a new one gets those of the file named with
// keepOwnershipOf, or the mode of any new file.
void AtomicFileWriter::takeOverOwnership() {
    struct stat existing {};
    mode_t mode = 0666 & ~currentUmask();
    const bool replacing = inspectTarget(path_, targetPath_, ifExists_, existing);
    if (replacing ||
        (!ownershipSource_.empty() && ::stat(ownershipSource_.c_str(), &existing) == 0)) {
        mode = existing.st_mode & 07777;
        if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0) {
            // Only root may give a file away. Keep at least the group where possible, and never
            // hand set-id bits to a file of another owner.
            if (::fchown(fd_, static_cast<uid_t>(-1), existing.st_gid) != 0) {
                mode &= ~static_cast<mode_t>(S_ISGID);
            }
            mode &= ~static_cast<mode_t>(S_ISUID);
        }
    }
    if (::fchmod(fd_, mode) != 0) {
        fail(errno);
    }
}

void AtomicFileWriter::putInPlace() {
    const int fd = fd_;
    const bool unnamed = tempPath_.empty();
    if (ifExists_ == IfTargetExists::Fail) {
        // The link is the creation: it fails when the name was taken in the meantime.
        const std::string from = unnamed ? procPathOf(fd) : tempPath_;
        int linked = ::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, targetPath_.c_str(),
                              unnamed ? AT_SYMLINK_FOLLOW : 0);
        if (linked != 0 && !unnamed && errno != EEXIST) {
            // A file system without hard links.
            linked = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, targetPath_.c_str(),
                                 RENAME_NOREPLACE);
            if (linked != 0 && errno != EEXIST) {
                // Nor the no-replace rename: the name is reserved by an exclusive creation, and
                // the rename then replaces only that empty file of ours.
                const int reserved =
                    ::open(targetPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                if (reserved < 0) {
                    fail(errno);
                }
                ::close(reserved);
                linked = ::rename(tempPath_.c_str(), targetPath_.c_str());
                if (linked != 0) {
                    const int error = errno;
                    ::unlink(targetPath_.c_str());
                    fail(error);
                }
            }
        }
        if (linked != 0) {
            fail(errno);
        }
    } else {
        if (unnamed) {
            const temporary_files::SignalsHeld held;
            int linked = -1;
            for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
                tempPath_ = randomTemporaryName(folder_);
                linked = ::linkat(AT_FDCWD, procPathOf(fd).c_str(), AT_FDCWD, tempPath_.c_str(),
                                  AT_SYMLINK_FOLLOW);
                if (linked != 0 && errno != EEXIST) {
                    break;
                }
            }
            if (linked != 0) {
                const int error = errno;
                tempPath_.clear();
                fail(error);
            }
            cleanupSlot_ = temporary_files::add(tempPath_);
        }
        if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
            fail(errno);
        }
    }
    fd_ = -1;
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());  // the name left by a hard link; gone already after a rename
    }
    temporary_files::release(cleanupSlot_);
    cleanupSlot_ = -1;
    tempPath_.clear();
    ::close(fd);
}

// The new name is on disk only once the folder is.
void AtomicFileWriter::syncFolder() {
    const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return;
    }
    const int synced = ::fsync(folder);
    const int error = errno;
    ::close(folder);
    if (synced != 0 && error != EINVAL) {
        refuse(path_,
               "The file was written, but its folder could not be saved to disk: " +
                   systemErrorText(error),
               error);
    }
}

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    temporary_files::release(cleanupSlot_);
    cleanupSlot_ = -1;
}

void AtomicFileWriter::fail(int errorNumber) {
    discard();
    refuse(path_, errorNumber == EEXIST ? std::string(kExists) : systemErrorText(errorNumber),
           errorNumber);
}

void writeFileAtomically(const std::string& path, std::string_view bytes, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    file.write(bytes);
    file.commit();
}

}  // namespace quillshift
