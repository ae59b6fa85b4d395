#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillshift::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillshift-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    // Tests take rights away from what they create; give them back so that everything goes.
    ~TempDir() {
        std::error_code ignored;
        const auto ownerAll = std::filesystem::perms::owner_all;
        const auto add = std::filesystem::perm_options::add;
        std::filesystem::permissions(path_, ownerAll, add, ignored);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
            std::filesystem::permissions(entry.path(), ownerAll, add, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Names of the entries of `folder`, sorted.
inline std::string listFolder(const std::string& folder) {
    std::string names;
    std::vector<std::string> sorted;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        sorted.push_back(entry.path().filename().string());
    }
    std::sort(sorted.begin(), sorted.end());
    for (const auto& name : sorted) {
        names += name + ";";
    }
    return names;
}

}  // namespace quillshift::testing
