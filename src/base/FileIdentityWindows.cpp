#include "base/FileIdentity.h"

#include "base/Win32.h"

namespace quillshift {

namespace {

std::optional<FileIdentity> identityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (file == INVALID_HANDLE_VALUE || file == nullptr ||
        !::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    if (win32::isDeviceName(path)) {
        return std::nullopt;  // opening a device may wait or have effects
    }
    // No access asked for: only the file's information is read, whoever else has it open. Backup
    // semantics open folders too.
    const win32::Handle file(::CreateFileW(
        win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return identityOf(file.get());
}

std::optional<FileIdentity> standardStreamIdentity(int stream) {
    static constexpr DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (stream < 0 || stream > 2) {
        return std::nullopt;
    }
    const HANDLE handle = ::GetStdHandle(kHandles[stream]);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
        ::GetFileType(handle) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return identityOf(handle);
}

}  // namespace quillshift
