#include "cli/RunInputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace quillshift::cli {

std::string comparablePath(const std::string& path) {
    std::error_code error;
    const auto canonical =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
    return error ? path : canonical.string();
}

namespace {
FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
}  // namespace

RunInputs::RunInputs(const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        struct stat info {};
        if (input == "-") {
            if (::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode)) {
                files_.emplace(identityOf(info), input);
            }
            continue;
        }
        if (::stat(input.c_str(), &info) == 0) {
            files_.emplace(identityOf(info), input);
        }
        paths_.insert(comparablePath(input));
    }
}

bool RunInputs::contains(const std::string& output) const {
    struct stat info {};
    if (::stat(output.c_str(), &info) == 0 && files_.contains(identityOf(info))) {
        return true;
    }
    return paths_.contains(comparablePath(output));
}

const std::string* RunInputs::find(const FileIdentity& identity) const {
    const auto found = files_.find(identity);
    return found == files_.end() ? nullptr : &found->second;
}

}  // namespace quillshift::cli
