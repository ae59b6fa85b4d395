#include "base/Win32.h"

#include <array>
#include <cerrno>

#include "base/Paths.h"
#include "base/TextOps.h"

namespace quillshift::win32 {

namespace {

// Paths of this length or more need the "\\?\" prefix where long paths are not enabled.
constexpr std::size_t kClassicPathLimit =
    MAX_PATH - 12;  // room for an 8.3 name, as CreateDirectory

}  // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::wstring widePath(std::string_view path) {
    std::wstring wide = widen(path);
    for (wchar_t& c : wide) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    if (wide.size() < kClassicPathLimit || wide.starts_with(L"\\\\?\\") ||
        wide.starts_with(L"\\\\.\\")) {
        return wide;
    }
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return wide;
    }
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) {
        return wide;
    }
    full.resize(written);
    if (full.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);  // from \\server\share
    }
    return L"\\\\?\\" + full;
}

std::string errorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "Windows error " + std::to_string(code) + ".";
    }
    return narrow(text);
}

int errnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return EBUSY;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return EINVAL;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        default:
            return 0;
    }
}

bool isInUse(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
           code == ERROR_USER_MAPPED_FILE;
}

bool isDeviceName(std::string_view path) {
    if (path.starts_with("\\\\.\\") || path.starts_with("//./") ||
        path.starts_with("\\\\?\\GLOBALROOT")) {
        return true;
    }
    std::string_view name = paths::fileNameOf(path);
    // Windows ignores what follows the first dot, and blanks and dots at the end.
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') {
        name.remove_suffix(1);
    }
    static constexpr std::array<std::string_view, 6> kPlain{"CON", "PRN",    "AUX",
                                                            "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view reserved : kPlain) {
        if (text::equalsIgnoringAsciiCase(name, reserved)) {
            return true;
        }
    }
    return name.size() == 4 &&
           (text::startsWithIgnoringAsciiCase(name, "COM") ||
            text::startsWithIgnoringAsciiCase(name, "LPT")) &&
           name[3] >= '0' && name[3] <= '9';
}

std::string finalPath(HANDLE file) {
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetFinalPathNameByHandleW(
                file, resolved.data(), static_cast<DWORD>(resolved.size()),
                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)) >= resolved.size()) {
        resolved.resize(length + 1);
    }
    if (length == 0) {
        return {};
    }
    resolved.resize(length);
    // Without the "\\?\" prefix where the path does not need it, as a user writes it.
    if (resolved.starts_with(L"\\\\?\\UNC\\")) {
        resolved = L"\\\\" + resolved.substr(8);
    } else if (resolved.starts_with(L"\\\\?\\") && resolved.size() < MAX_PATH + 4) {
        resolved.erase(0, 4);
    }
    return narrow(resolved);
}

bool folderTakesNewFiles(const std::string& folder) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string probe =
            paths::joinPath(folder, ".quillshift-probe-" + std::to_string(::GetTickCount64()) +
                                        "-" + std::to_string(attempt));
        const HANDLE file =
            ::CreateFileW(widePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        if (const DWORD code = ::GetLastError();
            code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            ::SetLastError(code);
            return false;
        }
    }
    return false;
}

}  // namespace quillshift::win32
