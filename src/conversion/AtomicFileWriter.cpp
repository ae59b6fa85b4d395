#include "conversion/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "conversion/ScriptFileError.h"

namespace quillshift {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a symbolic link so that saving replaces the file it points to, not the link.
std::string resolveLink(const std::string& path) {
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

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path)
    : path_(std::move(path)), targetPath_(resolveLink(path_)) {
    struct stat info {};
    if (::stat(targetPath_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(EISDIR);
    }
    if (path_.empty() || path_.back() == '/') {
        fail(ENOENT);
    }
    std::string pattern = folderOf(targetPath_) + "/." + nameOf(targetPath_) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail(errno);
    }
    tempPath_ = name.data();
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
    struct stat existing {};
    const mode_t mode = ::stat(targetPath_.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                    : (0666 & ~currentUmask());
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) {
        fail(errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail(errno);
    }
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
        fail(errno);
    }
    tempPath_.clear();
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
}

void AtomicFileWriter::fail(int errorNumber) {
    discard();
    throw ScriptFileError::cannotCreate(path_, systemErrorText(errorNumber));
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFileWriter file(path);
    file.write(bytes);
    file.commit();
}

}  // namespace quillshift
