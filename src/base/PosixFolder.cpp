#include "base/PosixFolder.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/FileError.h"
#include "base/Paths.h"

namespace quillshift::posix {

namespace {

// Follows a symbolic link at the path's end, so that writing replaces the file it points to.
std::string resolveOwnLink(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return path;  // a dangling link: it is itself the file
    }
    return resolved;
}

}  // namespace

void Descriptor::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

FolderOf openFolderOf(const FileLocation& location, bool resolveLink) {
    FolderOf result;
    std::string path = location.path;
    std::size_t followed = location.followedLength;
    if (location.followsOwnName()) {
        if (resolveLink) {
            path = resolveOwnLink(path);
        }
        const std::size_t slash = path.rfind('/');
        followed = slash == std::string::npos ? 0 : slash;
    }
    const std::string base = followed > 0            ? path.substr(0, followed)
                             : path.starts_with('/') ? std::string("/")
                                                     : std::string(".");
    result.folder.reset(::open(base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!result.folder.valid()) {
        result.error = errno;
        result.reason = systemErrorText(result.error);
        return result;
    }
    // The names below the folder given, each opened in the one before without following links.
    std::size_t at = followed;
    while (at < path.size()) {
        while (at < path.size() && path[at] == '/') {
            ++at;
        }
        const std::size_t end = std::min(path.find('/', at), path.size());
        const std::string name = path.substr(at, end - at);
        if (end == path.size()) {
            result.name = name;
            break;
        }
        if (name == "..") {
            result.error = EXDEV;
            result.reason = "Its path leaves the folder it was found in.";
            result.folder.reset();
            return result;
        }
        if (!name.empty() && name != ".") {
            const int next = ::openat(result.folder.get(), name.c_str(),
                                      O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0) {
                result.error = errno;
                struct stat info {};
                if ((result.error == ENOTDIR || result.error == ELOOP) &&
                    ::fstatat(result.folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(info.st_mode)) {
                    result.error = ELOOP;
                    result.reason = linkNotFollowedReason(path.substr(0, end));
                } else {
                    result.reason = systemErrorText(result.error);
                }
                result.folder.reset();
                return result;
            }
            result.folder.reset(next);
        }
        at = end;
    }
    return result;
}

}  // namespace quillshift::posix

namespace quillshift {

void createFolders(const FileLocation& folder, const std::string& forFile) {
    const auto fail = [&](const std::string& reason, int error) {
        throw FileError::cannotCreate(forFile, "Its folder could not be created: " + reason, error);
    };
    const std::size_t followed = std::min(folder.followedLength, folder.path.size());
    const std::string base = folder.path.substr(0, followed);
    posix::Descriptor current(
        ::open(base.empty() ? "." : base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!current.valid()) {
        fail(systemErrorText(errno), errno);
    }
    std::size_t from = followed;
    while (from < folder.path.size()) {
        while (from < folder.path.size() && folder.path[from] == '/') {
            ++from;
        }
        const std::size_t end = std::min(folder.path.find('/', from), folder.path.size());
        const std::string name = folder.path.substr(from, end - from);
        from = end;
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == ".." ||
            (::mkdirat(current.get(), name.c_str(), 0777) != 0 && errno != EEXIST)) {
            fail(systemErrorText(name == ".." ? EXDEV : errno), name == ".." ? EXDEV : errno);
        }
        const int next =
            ::openat(current.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int error = errno;
            struct stat info {};
            if (::fstatat(current.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                fail(linkNotFollowedReason(folder.path.substr(0, end)), ELOOP);
            }
            fail(systemErrorText(error), error);
        }
        current.reset(next);
    }
}

}  // namespace quillshift
