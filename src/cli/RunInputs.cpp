#include "cli/RunInputs.h"

#include <sys/stat.h>

#include <filesystem>

namespace quillshift::cli {

std::string comparablePath(const std::string& path) {
    std::error_code error;
    const auto canonical =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    return error ? path : canonical.string();
}

RunInputs::RunInputs(const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        struct stat info {};
        if (::stat(input.c_str(), &info) == 0) {
            files_.emplace(info.st_dev, info.st_ino);
        }
        paths_.insert(comparablePath(input));
    }
}

bool RunInputs::contains(const std::string& output) const {
    struct stat info {};
    if (::stat(output.c_str(), &info) == 0 && files_.contains({info.st_dev, info.st_ino})) {
        return true;
    }
    return paths_.contains(comparablePath(output));
}

}  // namespace quillshift::cli
