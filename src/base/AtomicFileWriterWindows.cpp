// The atomic writer on Windows. The temporary file is a new hidden ".quillshift-XXXXXX" in the
// target's folder, made with CREATE_NEW (so it is never a file that was there), removed on failure,
// on destruction before commit() and when the console ends the program (Ctrl+C, Ctrl+Break, the
// window closed). commit() flushes it to disk and renames it over the target with MoveFileExW and
// MOVEFILE_WRITE_THROUGH, which returns only once the rename is on disk.
//
// A replaced file keeps its attributes (hidden, system, not indexed); a read-only file is not
// replaced. A target that another program holds open without sharing it is reported as such, and
// nothing changes. The temporary file's descriptor fd_ is a C run-time descriptor that owns the
// file's HANDLE.
#include "base/AtomicFileWriter.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>

#include "base/FileError.h"
#include "base/Paths.h"
#include "base/TemporaryFiles.h"
#include "base/Win32.h"

namespace quillshift {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::string_view kTemporaryPrefix = ".quillshift-";
constexpr std::string_view kExists = "The file already exists.";
constexpr std::string_view kNotRegular =
    "It is a device, pipe or socket, not a regular file, so it is not replaced.";
constexpr std::string_view kReadOnly = "The file is read-only, so it is not replaced.";
constexpr std::string_view kInUse =
    "Another program has the file open and does not let it be replaced; close it there and try "
    "again. The file was not changed.";
// What a replaced file keeps of the attributes of the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_ARCHIVE;

[[noreturn]] void refuse(const std::string& path, std::string_view reason, int errorNumber) {
    throw FileError::cannotCreate(path, reason, errorNumber);
}

[[noreturn]] void refuseWithCode(const std::string& path, DWORD code) {
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
        refuse(path, kExists, EEXIST);
    }
    refuse(path, win32::isInUse(code) ? std::string(kInUse) : win32::errorText(code),
           win32::errnoOf(code));
}

// A rename over a file that another program holds open fails with "access denied": whether the
// file is in use tells that apart from a permission that is missing.
DWORD explainDenial(const std::string& target, DWORD code) {
    if (code != ERROR_ACCESS_DENIED) {
        return code;
    }
    const win32::Handle probe(::CreateFileW(win32::widePath(target).c_str(), DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
    return !probe.valid() && win32::isInUse(::GetLastError()) ? ERROR_SHARING_VIOLATION : code;
}

bool isMissing(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// Opens `path` (following links) only to look at it.
win32::Handle openToInspect(const std::string& path) {
    return win32::Handle(::CreateFileW(
        win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Follows a symbolic link so that saving replaces the file it points to, not the link.
std::string resolveLinks(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(win32::widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    const win32::Handle file = openToInspect(path);
    if (!file.valid()) {
        return path;  // a dangling link: it is replaced by the new file
    }
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetFinalPathNameByHandleW(
                file.get(), resolved.data(), static_cast<DWORD>(resolved.size()),
                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)) >= resolved.size()) {
        resolved.resize(length + 1);
    }
    if (length == 0) {
        return path;
    }
    resolved.resize(length);
    if (resolved.starts_with(L"\\\\?\\UNC\\")) {
        resolved = L"\\\\" + resolved.substr(8);
    } else if (resolved.starts_with(L"\\\\?\\") && resolved.size() < MAX_PATH + 4) {
        resolved.erase(0, 4);
    }
    return win32::narrow(resolved);
}

// Throws when `target` exists and may not be written in `ifExists` mode; returns its attributes
// when it exists, nothing when it does not.
std::optional<DWORD> inspectTarget(const std::string& path, const std::string& target,
                                   IfTargetExists ifExists) {
    if (win32::isDeviceName(target)) {
        refuse(path, kNotRegular, 0);
    }
    const win32::Handle file = openToInspect(target);
    if (!file.valid()) {
        const DWORD code = ::GetLastError();
        if (!isMissing(code)) {
            refuseWithCode(path, code);
        }
        // Absent, or a dangling link, which counts as taken when nothing may be replaced.
        if (ifExists == IfTargetExists::Fail &&
            ::GetFileAttributesW(win32::widePath(target).c_str()) != INVALID_FILE_ATTRIBUTES) {
            refuse(path, kExists, EEXIST);
        }
        return std::nullopt;
    }
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        refuse(path, kNotRegular, 0);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) {
        refuseWithCode(path, ::GetLastError());
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        refuse(path, systemErrorText(EISDIR), EISDIR);
    }
    if (ifExists == IfTargetExists::Fail) {
        refuse(path, kExists, EEXIST);
    }
    if (info.nNumberOfLinks > 1) {
        refuse(path,
               "The file has " + std::to_string(info.nNumberOfLinks) +
                   " hard links; replacing it would leave the old contents under its other names.",
               EMLINK);
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        refuse(path, kReadOnly, EACCES);
    }
    return info.dwFileAttributes;
}

std::string randomTemporaryName(const std::string& folder) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random(std::random_device{}() ^ ::GetCurrentProcessId());
    std::string name(kTemporaryPrefix);
    for (int i = 0; i < 6; ++i) {
        name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    }
    return paths::joinPath(folder, name);
}

// The trailing separator of "folder\" names no file.
bool namesAFolder(const std::string& path) {
    return path.empty() || paths::isSeparator(path.back());
}

}  // namespace

namespace testing {
void useNamedTemporaryFiles(bool) {
    // Windows has no unnamed files: every temporary file is a named one.
}
}  // namespace testing

void AtomicFileWriter::check(const std::string& path, IfTargetExists ifExists) {
    if (namesAFolder(path)) {
        const bool folder = !path.empty() && ::GetFileAttributesW(win32::widePath(path).c_str()) !=
                                                 INVALID_FILE_ATTRIBUTES;
        const int reason = folder ? EISDIR : ENOENT;
        refuse(path, systemErrorText(reason), reason);
    }
    const std::string target = resolveLinks(path);
    inspectTarget(path, target, ifExists);
    const std::string folder = paths::folderOf(target);
    const DWORD attributes = ::GetFileAttributesW(win32::widePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        refuseWithCode(path, ::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        refuseWithCode(path, ERROR_PATH_NOT_FOUND);  // as creating the file there would say
    }
    // Whether the folder takes a new file depends on its access control list.
    if (!win32::folderTakesNewFiles(folder)) {
        refuseWithCode(path, ::GetLastError());
    }
}

AtomicFileWriter::AtomicFileWriter(std::string path, IfTargetExists ifExists)
    : path_(std::move(path)), ifExists_(ifExists) {
    if (namesAFolder(path_)) {
        check(path_, ifExists_);
    }
    targetPath_ = resolveLinks(path_);
    folder_ = paths::folderOf(targetPath_);
    inspectTarget(path_, targetPath_, ifExists_);

    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        const std::string name = randomTemporaryName(folder_);
        const temporary_files::SignalsHeld held;
        // Others may delete it, so that the console's handler can remove it while it is open.
        const HANDLE file =
            ::CreateFileW(win32::widePath(name).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
                continue;
            }
            refuseWithCode(path_, code);
        }
        fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_WRONLY);
        if (fd_ < 0) {
            ::CloseHandle(file);
            ::DeleteFileW(win32::widePath(name).c_str());
            refuse(path_, systemErrorText(EMFILE), EMFILE);
        }
        tempPath_ = name;
        cleanupSlot_ = temporary_files::add(tempPath_);
    }
    if (fd_ < 0) {
        refuse(path_, kExists, EEXIST);
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (fd_ < 0) {
        return;
    }
    if (buffer_.size() + bytes.size() <= kBufferSize) {
        buffer_.append(bytes);
        return;
    }
    flush();
    if (bytes.size() < kBufferSize) {
        buffer_.append(bytes);
    } else {
        writeAll(bytes);
    }
}

void AtomicFileWriter::flush() {
    writeAll(buffer_);
    buffer_.clear();
}

void AtomicFileWriter::writeAll(std::string_view bytes) {
    const auto file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd_));
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            const DWORD code = ::GetLastError();
            discard();
            refuseWithCode(path_, code);
        }
        bytes.remove_prefix(written);
    }
}

void AtomicFileWriter::commit() {
    if (fd_ < 0) {
        return;
    }
    try {
        flush();
        takeOverOwnership();
        if (!::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd_)))) {
            refuseWithCode(path_, ::GetLastError());
        }
        ::_close(fd_);
        fd_ = -1;
        putInPlace();
    } catch (...) {
        discard();
        throw;
    }
}

// The new file gets the attributes of the file it replaces, or of the file named with
// keepOwnershipOf, or none; and loses the temporary file's hidden and temporary marks.
void AtomicFileWriter::takeOverOwnership() {
    DWORD attributes = 0;
    if (const std::optional<DWORD> replaced = inspectTarget(path_, targetPath_, ifExists_)) {
        attributes = *replaced & kKeptAttributes;
    } else if (!ownershipSource_.empty()) {
        const DWORD source = ::GetFileAttributesW(win32::widePath(ownershipSource_).c_str());
        if (source != INVALID_FILE_ATTRIBUTES) {
            attributes = source & kKeptAttributes;
        }
    }
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd_)),
                                      FileBasicInfo, &basic, sizeof basic)) {
        refuseWithCode(path_, ::GetLastError());
    }
}

void AtomicFileWriter::putInPlace() {
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (ifExists_ == IfTargetExists::Replace) {
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    // Without the flag the rename fails when the name was taken in the meantime. Held against
    // the console's handler, so that the file is either renamed or removed, never both.
    const temporary_files::SignalsHeld held;
    if (!::MoveFileExW(win32::widePath(tempPath_).c_str(), win32::widePath(targetPath_).c_str(),
                       flags)) {
        refuseWithCode(path_, explainDenial(targetPath_, ::GetLastError()));
    }
    temporary_files::release(cleanupSlot_);
    cleanupSlot_ = -1;
    tempPath_.clear();
}

void AtomicFileWriter::discard() noexcept {
    if (fd_ >= 0) {
        ::_close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::DeleteFileW(win32::widePath(tempPath_).c_str());
        tempPath_.clear();
    }
    temporary_files::release(cleanupSlot_);
    cleanupSlot_ = -1;
}

void writeFileAtomically(const std::string& path, std::string_view bytes, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    file.write(bytes);
    file.commit();
}

}  // namespace quillshift
