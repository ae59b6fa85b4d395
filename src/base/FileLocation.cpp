#include "base/FileLocation.h"

#include "base/Paths.h"

namespace quillshift {

FileLocation FileLocation::below(std::string_view folder, std::string_view relative) {
    if (folder.empty()) {
        return {std::string(relative), 0};
    }
    std::string path = paths::joinPath(folder, relative);
    return {std::move(path), folder.size()};
}

std::string linkNotFollowedReason(const std::string& shownPath) {
    return "\"" + shownPath +
           "\" is a symbolic link met on the way, and such links are not followed.";
}

}  // namespace quillshift
