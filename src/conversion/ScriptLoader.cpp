#include "conversion/ScriptLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "conversion/ScriptFileError.h"
#include "conversion/TextOps.h"

namespace quillshift {

namespace {

constexpr std::string_view kNotAFile =
    "It is a device, pipe or socket, not a regular file, so it is not read as a script.";
constexpr std::string_view kTooLarge = "The file is larger than 1 GiB, too large to be a script.";

inline std::size_t findLineEnd(std::string_view bytes, std::size_t from) {
    const char* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t i = from;
    while (i < size && data[i] != '\r' && data[i] != '\n') {
        ++i;
    }
    return i;
}

inline std::size_t skipTerminator(std::string_view bytes, std::size_t at) {
    if (at < bytes.size() && bytes[at] == '\r') {
        ++at;
    }
    if (at < bytes.size() && bytes[at] == '\n') {
        ++at;
    }
    return at;
}

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

bool isSpecialFile(mode_t mode) {
    return !S_ISREG(mode) && !S_ISDIR(mode);
}

}  // namespace

std::size_t ScriptLineReader::findFrom(char c, std::size_t from) const {
    if (from >= bytes_.size()) {
        return bytes_.size();
    }
    const void* hit = std::memchr(bytes_.data() + from, c, bytes_.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data())
               : bytes_.size();
}

ScriptLineReader::ScriptLineReader(std::string_view bytes)
    : bytes_(bytes), nextCr_(findFrom('\r', 0)), nextLf_(findFrom('\n', 0)) {}

bool ScriptLineReader::next(std::string_view& line, std::string& scratch) {
    if (position_ >= bytes_.size()) {
        return false;
    }
    // The next CR and LF are remembered until the reader passes them, so every byte is searched
    // at most once for each, whatever mix of line ends the text has.
    if (nextCr_ < position_) {
        nextCr_ = findFrom('\r', position_);
    }
    if (nextLf_ < position_) {
        nextLf_ = findFrom('\n', position_);
    }
    const std::size_t end = std::min(nextCr_, nextLf_);
    line = bytes_.substr(position_, end - position_);
    if (line.find('\t') != std::string_view::npos) {
        text::expandTabsInto(line, scratch);
        line = scratch;
    }
    position_ = skipTerminator(bytes_, end);
    return true;
}

bool ScriptLineReader::next(std::string& line) {
    std::string_view view;
    if (!next(view, line)) {
        return false;
    }
    if (view.data() != line.data()) {
        line.assign(view);
    }
    return true;
}

std::vector<std::string> splitScriptLines(std::string_view bytes) {
    std::vector<std::string> lines;
    ScriptLineReader reader(bytes);
    while (reader.next(lines.emplace_back())) {
    }
    lines.pop_back();
    return lines;
}

std::size_t findNulLine(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) {
        return 0;
    }
    std::size_t lineNumber = 1;
    std::size_t position = 0;
    while (true) {
        const std::size_t end = findLineEnd(bytes, position);
        if (nul < end) {
            return lineNumber;
        }
        position = skipTerminator(bytes, end);
        if (nul < position) {
            // Cannot happen: terminators are CR and LF only.
            return lineNumber;
        }
        ++lineNumber;
    }
}

std::string readFileBytes(const std::string& path) {
    // Anything but a regular file is refused before it is opened: opening a pipe waits for a
    // writer, and opening a device may wait or have effects.
    if (struct stat before{}; ::stat(path.c_str(), &before) == 0 && isSpecialFile(before.st_mode)) {
        throw ScriptFileError::cannotOpen(path, kNotAFile);
    }
    // Without blocking, in case the file was replaced by a pipe in the meantime: fstat tells.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) {
        throw ScriptFileError::cannotOpen(path, systemErrorText(errno), errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw ScriptFileError::cannotOpen(path, systemErrorText(errno), errno);
    }
    if (S_ISDIR(info.st_mode)) {
        throw ScriptFileError::cannotOpen(path, systemErrorText(EISDIR), EISDIR);
    }
    if (!S_ISREG(info.st_mode)) {
        throw ScriptFileError::cannotOpen(path, kNotAFile);
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxScriptFileSize) {
        throw ScriptFileError::cannotOpen(path, kTooLarge);
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
            throw ScriptFileError::cannotOpen(path, systemErrorText(errno), errno);
        }
        if (got == 0) {
            return bytes;
        }
        // A file that grew after fstat may go on past the limit.
        if (static_cast<std::size_t>(got) > kMaxScriptFileSize - bytes.size()) {
            throw ScriptFileError::cannotOpen(path, kTooLarge);
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

void requireNoNulByte(const std::string& path, std::string_view bytes) {
    const std::size_t line = findNulLine(bytes);
    if (line != 0) {
        throw ScriptFileError::cannotOpen(path, "The file contains a NUL byte (line " +
                                                    std::to_string(line) +
                                                    "); it is not an 8-bit text script.");
    }
}

std::vector<std::string> loadScriptFile(const std::string& path) {
    const std::string bytes = readFileBytes(path);
    requireNoNulByte(path, bytes);
    return splitScriptLines(bytes);
}

}  // namespace quillshift
