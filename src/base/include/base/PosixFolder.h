#pragma once

#include <string>

#include "base/FileLocation.h"

// How the POSIX implementation of the file classes reaches a file without following the symbolic
// links it must not follow: the folder the user gave is opened as the system resolves it, and
// every name below it is then opened relative to the folder before, with O_NOFOLLOW. A folder on
// the way that is swapped for a link while a run goes on is so found out, not followed.
namespace quillshift::posix {

/// A file descriptor, closed with the object.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

/// The folder that holds a file, open with O_PATH, and the file's name in it.
struct FolderOf {
    Descriptor folder;
    std::string name;    ///< empty when the path ends in '/'
    int error = 0;       ///< the errno when the folder could not be opened
    std::string reason;  ///< why, in words, when it could not
};

/// Opens the folder of `location`'s file. When the location follows the file's own name and
/// `resolveLink` is set, a link there is resolved first, so that the folder and name are those
/// of the file it points to (a dangling link stays itself).
FolderOf openFolderOf(const FileLocation& location, bool resolveLink);

}  // namespace quillshift::posix
