#pragma once

// What the Windows versions of the file and process functions share: text is UTF-8 everywhere in
// the program and UTF-16 only at the Windows API, and a Windows error code is shown in the
// system's words. Windows only.
#ifndef _WIN32
#error "base/Win32.h is for Windows builds only"
#endif

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace quillshift::win32 {

/// `utf8` in UTF-16; bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);

/// `utf16` in UTF-8; unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view utf16);

/// `path` for the wide file functions: in UTF-16, with '/' written as '\', and made absolute with
/// the "\\?\" prefix when it is too long for the classic limit of 260 characters, so that long
/// paths work even where the system has not enabled them.
std::wstring widePath(std::string_view path);

/// The system's sentence for a Windows error code (as GetLastError() returns), without the line
/// end: "The system cannot find the file specified."
std::string errorText(DWORD code);

/// The errno value that best matches a Windows error code (ENOENT for a missing file, EEXIST,
/// EACCES, ENOSPC, EBUSY for a file in use, ...), or 0 for a code without one.
int errnoOf(DWORD code);

/// True for the codes that mean another program holds the file open and shares it no further.
bool isInUse(DWORD code);

/// True when `path` names a device rather than a file: its last component is one of the names
/// Windows reserves in every folder (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9), with any
/// extension and letter case ("aux.ifs", "Nul"), or the path is in the device namespace (\\.\).
bool isDeviceName(std::string_view path);

/// The full path of the open file `file` as Windows resolved it, links followed ("C:\a\b.ifs",
/// "\\server\share\b.ifs"), or "" when it cannot tell.
std::string finalPath(HANDLE file);

/// True when a new file can be created in `folder`, as its access control list decides: a probe
/// file that vanishes when closed is made there.
bool folderTakesNewFiles(const std::string& folder);

/// Owns a HANDLE and closes it.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(Handle&& other) noexcept : handle_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.release();
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    /// Gives up the handle without closing it.
    HANDLE release() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void close() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace quillshift::win32
