#pragma once

#ifdef _WIN32
#include "base/Win32.h"
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillshift::testing {

#ifdef _WIN32
/// Calls `visit(relative, isFolder, fullPath)` for everything below the folder `below` (a full
/// path with the "\\?\" prefix, so that paths past 260 characters are walked too), parents before
/// their entries. `relative` is the entry's path below the folder, with "/".
template <typename Visit>
void walkTree(const std::wstring& below, const std::string& relative, Visit& visit) {
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileW((below + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::string path = relative + win32::narrow(name);
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        visit(path, isFolder, below + L"\\" + name);
        if (isFolder) {
            walkTree(below + L"\\" + name, path + "/", visit);
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
}

/// walkTree for the folder `folder`, as any path.
template <typename Visit>
void walkTree(const std::string& folder, Visit&& visit) {
    const std::wstring wide = win32::widen(folder);
    std::wstring full(::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    full.resize(
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    walkTree(L"\\\\?\\" + full, "", visit);
}
#endif

/// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp: a random name that create_directory finds free.
        static std::minstd_rand random{std::random_device{}()};
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::string name = "quillshift-" + std::to_string(random());
            const auto folder = std::filesystem::temp_directory_path() / name;
            if (std::filesystem::create_directory(folder)) {
                path_ = folder.string();
            }
        }
        if (path_.empty()) {
            throw std::runtime_error("cannot create a temporary folder");
        }
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillshift-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
#endif
    }
    // Tests take rights away from what they create; give them back so that everything goes.
    ~TempDir() {
#ifdef _WIN32
        // Read-only files are made writable, and paths past 260 characters removed too.
        std::vector<std::pair<std::wstring, bool>> found;
        walkTree(path_, [&](const std::string&, bool isFolder, const std::wstring& full) {
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            found.emplace_back(full, isFolder);
        });
        for (auto it = found.rbegin(); it != found.rend(); ++it) {
            it->second ? ::RemoveDirectoryW(it->first.c_str()) : ::DeleteFileW(it->first.c_str());
        }
#endif
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

    const std::string& path() const {
        return path_;
    }
    std::string file(std::string_view name) const {
        return path_ + "/" + std::string(name);
    }

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
