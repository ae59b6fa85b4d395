#include "base/FileIdentity.h"

#include <sys/stat.h>

namespace quillshift {

namespace {

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return identityOf(info);
}

std::optional<FileIdentity> standardStreamIdentity(int stream) {
    struct stat info {};
    if (::fstat(stream, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return identityOf(info);
}

}  // namespace quillshift
