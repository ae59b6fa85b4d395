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

}  // namespace quillshift
