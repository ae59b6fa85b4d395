#include "base/Paths.h"

namespace quillshift::paths {

namespace {

#ifdef _WIN32
bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
#endif

// "C:" alone, which names the drive's current folder (Windows only).
bool isBareDrive([[maybe_unused]] std::string_view path) {
#ifdef _WIN32
    return path.size() == 2 && isDriveLetter(path[0]) && path[1] == ':';
#else
    return false;
#endif
}

}  // namespace

std::size_t rootLength(std::string_view path) {
#ifdef _WIN32
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        return path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // \\server\share\ (or \\?\C:\, \\.\device\): the two components after the slashes.
        std::size_t end = 2;
        for (int component = 0; component < 2 && end < path.size(); ++component) {
            const std::size_t separator = path.find_first_of(kSeparators, end);
            end = separator == std::string_view::npos ? path.size() : separator + 1;
        }
        return end;
    }
#endif
    return !path.empty() && isSeparator(path[0]) ? 1 : 0;
}

bool isAbsolute(std::string_view path) {
#ifdef _WIN32
    // Not "\a", which depends on the current drive, nor "C:a", on the drive's current folder.
    const std::size_t root = rootLength(path);
    return root > 2 || (root == 2 && isSeparator(path[0]));
#else
    return !path.empty() && path[0] == '/';
#endif
}

std::string withoutTrailingSeparators(std::string_view path) {
    const std::size_t root = rootLength(path);
    while (path.size() > root && isSeparator(path.back())) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

namespace {

// Position of the last separator after the root, or npos.
std::size_t lastSeparator(std::string_view path, std::size_t root) {
    const std::size_t at = path.find_last_of(kSeparators);
    return at == std::string_view::npos || at < root ? std::string_view::npos : at;
}

}  // namespace

std::string folderOf(std::string_view path) {
    const std::size_t root = rootLength(path);
    const std::size_t separator = lastSeparator(path, root);
    if (separator == std::string_view::npos) {
        return root > 0 ? std::string(path.substr(0, root)) : ".";
    }
    return std::string(path.substr(0, separator));
}

std::string folderWithSeparator(std::string_view path) {
    const std::size_t root = rootLength(path);
    const std::size_t separator = lastSeparator(path, root);
    if (separator == std::string_view::npos) {
        return root > 0 ? std::string(path.substr(0, root)) : std::string{'.', kSeparator};
    }
    return std::string(path.substr(0, separator + 1));
}

std::string_view fileNameOf(std::string_view path) {
    const std::size_t root = rootLength(path);
    const std::size_t separator = lastSeparator(path, root);
    return path.substr(separator == std::string_view::npos ? root : separator + 1);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || (!isSeparator(path.back()) && !isBareDrive(path))) {
        path.push_back(kSeparator);
    }
    path.append(name);
    return path;
}

}  // namespace quillshift::paths
