#include "base/AtomicFileWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <random>

#include "base/FileError.h"
#include "base/FileMetadata.h"
#include "base/Paths.h"
#include "base/PosixFolder.h"
#include "base/TemporaryFiles.h"

namespace quillshift {

namespace {

constexpr std::string_view kExists = "The file already exists.";
constexpr std::string_view kNotRegular =
    "It is a device, pipe or socket, not a regular file, so it is not replaced.";
constexpr std::string_view kChanged =
    "It changed while it was being converted, so it is not replaced.";

std::atomic<bool> namedTemporaryFilesOnly{false};

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

std::string randomTemporaryName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random(std::random_device{}() ^
                                         static_cast<unsigned>(::getpid()));
    std::string name(temporary_files::kPrefix);
    for (int i = 0; i < 6; ++i) {
        name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    }
    return name;
}

[[noreturn]] void refuse(const std::string& path, std::string_view reason, int errorNumber) {
    throw FileError::cannotCreate(path, reason, errorNumber);
}

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The folder of the target and the target's name in it; throws when it cannot be reached.
posix::FolderOf reachTarget(const FileLocation& location) {
    posix::FolderOf target = posix::openFolderOf(location, true);
    if (!target.folder.valid()) {
        refuse(location.path, target.reason, target.error);
    }
    if (target.name.empty() || target.name == "." || target.name == "..") {
        refuse(location.path, systemErrorText(EISDIR), EISDIR);
    }
    return target;
}

// Throws when the target `name` in `folder` exists and may not be written in `ifExists` mode;
// returns whether it exists, with its status in `info`.
bool inspectTarget(const std::string& path, const posix::FolderOf& target, bool followsOwnName,
                   IfTargetExists ifExists, struct stat& info) {
    const int folder = target.folder.get();
    const char* name = target.name.c_str();
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            refuse(path, systemErrorText(errno), errno);
        }
        return false;
    }
    if (S_ISLNK(info.st_mode)) {
        // Only a dangling link that the user named is left to be replaced itself.
        if (!followsOwnName) {
            refuse(path,
                   "It is a symbolic link, and a file met during a run is never written "
                   "through one.",
                   ELOOP);
        }
        if (ifExists == IfTargetExists::Fail) {
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
    if (ifExists == IfTargetExists::Replace &&
        ::faccessat(folder, name, W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0 &&
        (errno == EACCES || errno == EPERM)) {
        std::string reason(kNotWritableReason);
        if (info.st_uid != ::geteuid()) {
            reason += " It belongs to " + posix::userName(info.st_uid) + ".";
        }
        refuse(path, reason, EACCES);
    }
    return true;
}

// Opens the file at `location` to read its metadata; an unreadable one is opened with O_PATH.
posix::Descriptor openOriginal(const FileLocation& location, bool readable, struct stat& info) {
    const posix::FolderOf at = posix::openFolderOf(location, false);
    if (!at.folder.valid() || at.name.empty()) {
        return {};
    }
    const int follow = location.followsOwnName() ? 0 : O_NOFOLLOW;
    posix::Descriptor file(
        ::openat(at.folder.get(), at.name.c_str(),
                 (readable ? O_RDONLY | O_NONBLOCK | O_NOCTTY : O_PATH) | follow | O_CLOEXEC));
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    return file;
}

}  // namespace

namespace testing {
void useNamedTemporaryFiles(bool named) {
    namedTemporaryFilesOnly = named;
}
}  // namespace testing

struct AtomicFileWriter::State {
    FileLocation location;
    IfTargetExists ifExists;
    posix::FolderOf target;
    posix::Descriptor file;
    std::string temporaryName;  // empty while the temporary file has no name
    int cleanupSlot = -1;
    std::optional<FileLocation> metadataSource;
    bool permissionsOnly = false;  // take only the mode, limited, from metadataSource
    std::optional<FileIdentity> expected;
    std::vector<std::string> notes;

    const std::string& path() const { return location.path; }

    void createTemporaryFile();
    void takeOverMetadata(bool replacing, const struct stat& existing);
    void putInPlace();
    void syncFolder();
    void discard() noexcept;
    [[noreturn]] void fail(int errorNumber);
};

void AtomicFileWriter::State::createTemporaryFile() {
    const int folder = target.folder.get();
    std::vector<std::string> removed =
        temporary_files::removeStale(folder, paths::folderOf(location.path));
    notes.insert(notes.end(), removed.begin(), removed.end());
    if (unnamedFilesPossible()) {
        file.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    }
    if (!file.valid()) {
        // Where the file system has no unnamed files: a named one, removed again on a signal.
        const temporary_files::SignalsHeld held;
        for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
            temporaryName = randomTemporaryName();
            file.reset(::openat(folder, temporaryName.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!file.valid() && errno != EEXIST) {
                break;
            }
        }
        if (!file.valid()) {
            const int error = errno;
            temporaryName.clear();
            fail(error);
        }
        cleanupSlot = temporary_files::add(folder, temporaryName);
    }
    // A writer at work holds this lock, so that another run never takes the file for stale.
    ::flock(file.get(), LOCK_EX | LOCK_NB);
}

// A replaced file keeps its metadata; a new one gets that of the file named with keepMetadataOf,
// a mode no wider than that of limitPermissionsTo, or the mode of any new file.
void AtomicFileWriter::State::takeOverMetadata(bool replacing, const struct stat& existing) {
    mode_t mode = 0666 & ~currentUmask();
    struct stat original = existing;
    posix::Descriptor source;
    posix::Descriptor pathOnly;
    if (replacing) {
        source.reset(::openat(target.folder.get(), target.name.c_str(),
                              O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (source.valid() &&
            (::fstat(source.get(), &opened) != 0 || identityOf(opened) != identityOf(existing))) {
            source.reset();
        }
        if (!source.valid()) {
            pathOnly.reset(::openat(target.folder.get(), target.name.c_str(),
                                    O_PATH | O_NOFOLLOW | O_CLOEXEC));
        }
    } else if (metadataSource) {
        source = openOriginal(*metadataSource, !permissionsOnly, original);
        if (!source.valid()) {
            posix::setMode(file.get(), mode, notes);
            return;
        }
        if (permissionsOnly) {
            posix::setMode(file.get(), mode & original.st_mode, notes);
            return;
        }
    } else {
        posix::setMode(file.get(), mode, notes);
        return;
    }
    posix::copyMetadata(source.get(), pathOnly.get(), original, file.get(), path(), replacing,
                        notes);
}

void AtomicFileWriter::State::putInPlace() {
    const int fd = file.get();
    const int folder = target.folder.get();
    const char* name = target.name.c_str();
    const bool unnamed = temporaryName.empty();
    if (ifExists == IfTargetExists::Fail) {
        // The link is the creation: it fails when the name was taken in the meantime.
        int linked =
            unnamed ? ::linkat(AT_FDCWD, procPathOf(fd).c_str(), folder, name, AT_SYMLINK_FOLLOW)
                    : ::linkat(folder, temporaryName.c_str(), folder, name, 0);
        if (linked != 0 && !unnamed && errno != EEXIST) {
            // A file system without hard links.
            linked = ::renameat2(folder, temporaryName.c_str(), folder, name, RENAME_NOREPLACE);
            if (linked != 0 && errno != EEXIST) {
                // Nor the no-replace rename: the name is reserved by an exclusive creation, and
                // the rename then replaces only that empty file of ours.
                const int reserved = ::openat(
                    folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
                if (reserved < 0) {
                    fail(errno);
                }
                ::close(reserved);
                linked = ::renameat(folder, temporaryName.c_str(), folder, name);
                if (linked != 0) {
                    const int error = errno;
                    ::unlinkat(folder, name, 0);
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
                temporaryName = randomTemporaryName();
                linked = ::linkat(AT_FDCWD, procPathOf(fd).c_str(), folder, temporaryName.c_str(),
                                  AT_SYMLINK_FOLLOW);
                if (linked != 0 && errno != EEXIST) {
                    break;
                }
            }
            if (linked != 0) {
                const int error = errno;
                temporaryName.clear();
                fail(error);
            }
            cleanupSlot = temporary_files::add(folder, temporaryName);
        }
        if (::renameat(folder, temporaryName.c_str(), folder, name) != 0) {
            fail(errno);
        }
    }
    if (!temporaryName.empty()) {
        // The name left by a hard link; gone already after a rename.
        ::unlinkat(folder, temporaryName.c_str(), 0);
    }
    temporary_files::release(cleanupSlot);
    cleanupSlot = -1;
    temporaryName.clear();
    file.reset();
}

// The new name is on disk only once the folder is.
void AtomicFileWriter::State::syncFolder() {
    const posix::Descriptor folder(
        ::openat(target.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return;
    }
    if (::fsync(folder.get()) != 0 && errno != EINVAL) {
        const int error = errno;
        refuse(path(),
               "The file was written, but its folder could not be saved to disk: " +
                   systemErrorText(error),
               error);
    }
}

void AtomicFileWriter::State::discard() noexcept {
    file.reset();
    if (!temporaryName.empty() && target.folder.valid()) {
        ::unlinkat(target.folder.get(), temporaryName.c_str(), 0);
        temporaryName.clear();
    }
    temporary_files::release(cleanupSlot);
    cleanupSlot = -1;
}

void AtomicFileWriter::State::fail(int errorNumber) {
    discard();
    refuse(path(), errorNumber == EEXIST ? std::string(kExists) : systemErrorText(errorNumber),
           errorNumber);
}

void AtomicFileWriter::check(const FileLocation& location, IfTargetExists ifExists) {
    const posix::FolderOf target = reachTarget(location);
    struct stat info {};
    inspectTarget(location.path, target, location.followsOwnName(), ifExists, info);
    if (::faccessat(target.folder.get(), ".", W_OK | X_OK, AT_EACCESS) != 0) {
        refuse(location.path, systemErrorText(errno), errno);
    }
}

AtomicFileWriter::AtomicFileWriter(FileLocation location, IfTargetExists ifExists)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.location = std::move(location);
    s.ifExists = ifExists;
    s.target = reachTarget(s.location);
    struct stat info {};
    inspectTarget(s.path(), s.target, s.location.followsOwnName(), ifExists, info);
    s.createTemporaryFile();
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    state_->discard();
}

void AtomicFileWriter::keepMetadataOf(FileLocation original) {
    state_->metadataSource = std::move(original);
    state_->permissionsOnly = false;
}

void AtomicFileWriter::limitPermissionsTo(FileLocation original) {
    state_->metadataSource = std::move(original);
    state_->permissionsOnly = true;
}

void AtomicFileWriter::replaceOnly(FileIdentity identity) {
    state_->expected = identity;
}

const std::vector<std::string>& AtomicFileWriter::notes() const {
    return state_->notes;
}

bool AtomicFileWriter::isOpen() const {
    return state_->file.valid();
}

void AtomicFileWriter::writeAll(std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(state_->file.get(), data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            state_->fail(errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void AtomicFileWriter::commit() {
    State& s = *state_;
    if (!s.file.valid()) {
        return;
    }
    flush();
    try {
        struct stat existing {};
        const bool replacing =
            inspectTarget(s.path(), s.target, s.location.followsOwnName(), s.ifExists, existing);
        if (s.expected && (!replacing || identityOf(existing) != *s.expected)) {
            refuse(s.path(), kChanged, 0);
        }
        s.takeOverMetadata(replacing, existing);
    } catch (...) {
        s.discard();
        throw;
    }
    if (::fsync(s.file.get()) != 0) {
        s.fail(errno);
    }
    s.putInPlace();
    s.syncFolder();
}

}  // namespace quillshift
