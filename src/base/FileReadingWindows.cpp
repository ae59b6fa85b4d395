#include "base/FileReading.h"

#include <cerrno>

#include "base/FileError.h"
#include "base/Win32.h"
#include "base/WindowsFolder.h"

namespace quillshift {

namespace {

constexpr std::string_view kNotRegular = "It is a device, pipe or socket, not a regular file.";
constexpr std::string_view kInUse =
    "Another program has the file open and lets nobody read it; close it there and try again.";

[[noreturn]] void fail(const std::string& path, DWORD code) {
    throw FileError::cannotOpen(path,
                                win32::isInUse(code) ? std::string(kInUse) : win32::errorText(code),
                                win32::errnoOf(code));
}

}  // namespace

std::string readRegularFile(const FileLocation& location, std::size_t maxSize,
                            std::string_view tooLargeReason, FileIdentity* identity) {
    const std::string& path = location.path;
    // A device name (CON would wait for the keyboard) is refused before anything is opened.
    if (win32::isDeviceName(path)) {
        throw FileError::cannotOpen(path, kNotRegular);
    }
    if (const win32::WayProblem problem = win32::checkWay(location); problem.error != 0) {
        throw FileError::cannotOpen(path, problem.reason, problem.error);
    }
    // Readable while another program writes it, as an editor that keeps it open does; folders
    // are opened too, to say what they are.
    const win32::Handle file(::CreateFileW(
        win32::widePath(path).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        fail(path, ::GetLastError());
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        throw FileError::cannotOpen(path, kNotRegular);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        fail(path, ::GetLastError());
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw FileError::cannotOpen(path, systemErrorText(EISDIR), EISDIR);
    }
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > maxSize) {
        throw FileError::cannotOpen(path, tooLargeReason);
    }
    if (identity) {
        *identity = {info.dwVolumeSerialNumber,
                     (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size));
    char chunk[65536];
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) {
            fail(path, ::GetLastError());
        }
        if (got == 0) {
            return bytes;
        }
        // A file that grew after its size was read may go on past the limit.
        if (got > maxSize - bytes.size()) {
            throw FileError::cannotOpen(path, tooLargeReason);
        }
        bytes.append(chunk, got);
    }
}

std::string readBounded(const std::string& path, bool standardInput, std::size_t maxSize,
                        int& error) {
    error = 0;
    win32::Handle opened;
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!standardInput) {
        opened = win32::Handle(::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!opened.valid()) {
            const int mapped = win32::errnoOf(::GetLastError());
            error = mapped != 0 ? mapped : EACCES;
            return {};
        }
        input = opened.get();
    }
    std::string text;
    char chunk[65536];
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(input, chunk, sizeof chunk, &got, nullptr)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_BROKEN_PIPE && code != ERROR_HANDLE_EOF) {  // the writer is done
                const int mapped = win32::errnoOf(code);
                error = mapped != 0 ? mapped : EIO;
            }
            break;
        }
        if (got == 0) {
            break;
        }
        if (got > maxSize - text.size()) {
            error = EFBIG;
            break;
        }
        text.append(chunk, got);
    }
    return text;
}

}  // namespace quillshift
