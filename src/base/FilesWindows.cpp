#include "base/Files.h"

#include "base/Win32.h"

namespace quillshift::files {

namespace {

// Reparse points that lead elsewhere; others (a file in the cloud, deduplicated) are files.
bool leadsElsewhere(DWORD tag) {
    return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// 100-nanosecond intervals between 1601 and 1970.
constexpr unsigned long long kEpochDifference = 116444736000000000ULL;

}  // namespace

bool isFolder(const std::string& path) {
    if (win32::isDeviceName(path)) {
        return false;
    }
    const win32::Handle file(::CreateFileW(
        win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    return file.valid() && ::GetFileInformationByHandle(file.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isSymbolicLink(const std::string& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(win32::widePath(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           leadsElsewhere(found.dwReserved0);
}

std::string realPath(const std::string& path) {
    if (win32::isDeviceName(path)) {
        return {};
    }
    const win32::Handle file(::CreateFileW(
        win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.valid() ? win32::finalPath(file.get()) : std::string();
}

std::optional<FileTime> modificationTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::widePath(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    const unsigned long long ticks =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    const long long sinceEpoch =
        static_cast<long long>(ticks) - static_cast<long long>(kEpochDifference);
    return FileTime{sinceEpoch / 10000000, static_cast<long>(sinceEpoch % 10000000) * 100};
}

}  // namespace quillshift::files
