#include "base/WindowsFolder.h"

#include <algorithm>
#include <cerrno>

#include "base/FileError.h"
#include "base/Files.h"
#include "base/Paths.h"
#include "base/Win32.h"

namespace quillshift {

namespace {

// Calls `visit(name, end)` for each name of `path` after `from`, `end` being where it ends.
template <typename Visit>
void forEachName(const std::string& path, std::size_t from, Visit&& visit) {
    while (from < path.size()) {
        while (from < path.size() && paths::isSeparator(path[from])) {
            ++from;
        }
        const std::size_t end = std::min(path.find_first_of(paths::kSeparators, from), path.size());
        if (end > from && !visit(path.substr(from, end - from), end)) {
            return;
        }
        from = end;
    }
}

}  // namespace

namespace win32 {

WayProblem checkWay(const FileLocation& location) {
    WayProblem problem;
    if (location.followsOwnName()) {
        return problem;
    }
    const std::string& path = location.path;
    forEachName(path, std::max(location.followedLength, paths::rootLength(path)),
                [&](const std::string& name, std::size_t end) {
                    if (name == ".." && end < path.size()) {
                        problem = {EXDEV, "Its path leaves the folder it was found in."};
                    } else if (name != "." && files::isSymbolicLink(path.substr(0, end))) {
                        problem = {ELOOP, linkNotFollowedReason(path.substr(0, end))};
                    }
                    return problem.error == 0;
                });
    return problem;
}

}  // namespace win32

void createFolders(const FileLocation& folder, const std::string& forFile) {
    const auto fail = [&](const std::string& reason, int error) {
        throw FileError::cannotCreate(forFile, "Its folder could not be created: " + reason, error);
    };
    const std::string& path = folder.path;
    const std::size_t followed = std::min(folder.followedLength, path.size());
    forEachName(
        path, std::max(followed, paths::rootLength(path)),
        [&](const std::string& name, std::size_t end) {
            const std::string made = path.substr(0, end);
            if (name == "..") {
                fail(systemErrorText(EXDEV), EXDEV);
            }
            if (name != "." && !::CreateDirectoryW(win32::widePath(made).c_str(), nullptr)) {
                const DWORD code = ::GetLastError();
                if (code != ERROR_ALREADY_EXISTS) {
                    fail(win32::errorText(code), win32::errnoOf(code));
                }
                if (files::isSymbolicLink(made)) {
                    fail(linkNotFollowedReason(made), ELOOP);
                }
            }
            return true;
        });
}

}  // namespace quillshift
