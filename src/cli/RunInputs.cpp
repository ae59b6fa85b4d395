#include "cli/RunInputs.h"

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
        if (input == "-") {
            if (const auto identity = standardStreamIdentity(0)) {
                files_.emplace(*identity, input);
            }
            continue;
        }
        if (const auto identity = fileIdentity(input)) {
            files_.emplace(*identity, input);
        }
        paths_.insert(comparablePath(input));
    }
}

bool RunInputs::contains(const std::string& output) const {
    if (const auto identity = fileIdentity(output); identity && files_.contains(*identity)) {
        return true;
    }
    return paths_.contains(comparablePath(output));
}

const std::string* RunInputs::find(const FileIdentity& identity) const {
    const auto found = files_.find(identity);
    return found == files_.end() ? nullptr : &found->second;
}

}  // namespace quillshift::cli
