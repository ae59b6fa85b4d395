// The atomic writer on Windows. The temporary file is a new hidden ".quillshift-XXXXXX" in the
// target's folder, made with CREATE_NEW (so it is never a file that was there), removed on failure,
// on destruction before commit() and when the console ends the program (Ctrl+C, Ctrl+Break, the
// window closed); one that a killed run left is removed by the next writer in that folder.
// commit() flushes it to disk with FlushFileBuffers and then puts it in place while it is still
// open: a new name with MoveFileExW and MOVEFILE_WRITE_THROUGH (which fails if the name was taken
// meanwhile), an existing file with ReplaceFileW, which keeps the replaced file's access control
// list, attributes and creation time. The replaced file is kept under a second temporary name
// until the replacement is in place, so that no failure of ReplaceFileW loses it.
//
// A read-only file is not replaced (with ReplaceEvenIfNotWritable it is, and stays read-only),
// and one that another program holds open without sharing it is reported as such.
#include "base/AtomicFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <random>

#include "base/FileError.h"
#include "base/FileIdentity.h"
#include "base/Paths.h"
#include "base/TemporaryFiles.h"
#include "base/Win32.h"
#include "base/WindowsFolder.h"

namespace quillshift {

namespace {

constexpr std::string_view kExists = "The file already exists.";
constexpr std::string_view kNotRegular =
    "It is a device, pipe or socket, not a regular file, so it is not replaced.";
constexpr std::string_view kChanged =
    "It changed while it was being converted, so it is not replaced.";
constexpr std::string_view kInUse =
    "Another program has the file open and does not let it be replaced; close it there and try "
    "again. The file was not changed.";
// What a replaced file keeps of the attributes of the file it replaces, or a backup of the file
// it copies.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                  FILE_ATTRIBUTE_ARCHIVE;

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

bool isMissing(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// Opens `path` (following links) only to look at it.
win32::Handle openToInspect(const std::string& path) {
    return win32::Handle(::CreateFileW(
        win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// A replacement that fails with "access denied" may have met a file another program holds
// open: whether it is in use tells that apart from a permission that is missing.
DWORD explainDenial(const std::string& target, DWORD code) {
    if (code != ERROR_ACCESS_DENIED && code != ERROR_UNABLE_TO_REMOVE_REPLACED) {
        return code;
    }
    const win32::Handle probe(::CreateFileW(win32::widePath(target).c_str(), DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
    return !probe.valid() && win32::isInUse(::GetLastError()) ? ERROR_SHARING_VIOLATION : code;
}

// Follows a symbolic link the user named, so that saving replaces the file it points to.
std::string resolveOwnLink(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(win32::widePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return path;
    }
    const win32::Handle file = openToInspect(path);
    const std::string resolved = file.valid() ? win32::finalPath(file.get()) : std::string();
    return resolved.empty() ? path : resolved;  // a dangling link is replaced itself
}

struct Inspected {
    DWORD attributes = 0;
    FileIdentity identity;
};

// Throws when `target` exists and may not be written in `ifExists` mode; returns what it is when
// it exists, nothing when it does not.
std::optional<Inspected> inspectTarget(const std::string& path, const std::string& target,
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
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        ifExists == IfTargetExists::Replace) {
        refuse(path, std::string(kNotWritableReason) + " It is read-only.", EACCES);
    }
    return Inspected{info.dwFileAttributes,
                     {info.dwVolumeSerialNumber,
                      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow}};
}

std::string randomTemporaryName(const std::string& folder) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::minstd_rand random(std::random_device{}() ^ ::GetCurrentProcessId());
    std::string name(temporary_files::kPrefix);
    for (int i = 0; i < 6; ++i) {
        name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    }
    return paths::joinPath(folder, name);
}

// Checks what can be checked before the target is looked at: a name that is no file, a device,
// a link met on the way. Returns the target, a link the user named resolved.
std::string reachTarget(const FileLocation& location) {
    const std::string& path = location.path;
    if (path.empty() || paths::isSeparator(path.back())) {
        const bool folder = !path.empty() && ::GetFileAttributesW(win32::widePath(path).c_str()) !=
                                                 INVALID_FILE_ATTRIBUTES;
        const int reason = folder ? EISDIR : ENOENT;
        refuse(path, systemErrorText(reason), reason);
    }
    if (win32::isDeviceName(path)) {
        refuse(path, kNotRegular, 0);
    }
    if (const win32::WayProblem problem = win32::checkWay(location); problem.error != 0) {
        refuse(path, problem.reason, problem.error);
    }
    return location.followsOwnName() ? resolveOwnLink(path) : path;
}

}  // namespace

namespace testing {
void useNamedTemporaryFiles(bool) {
    // Windows has no unnamed files: every temporary file is a named one.
}
void failMetadataCalls(int) {
    // Windows keeps a replaced file's metadata by ReplaceFileW, which has no calls to fail.
}
}  // namespace testing

struct AtomicFileWriter::State {
    FileLocation location;
    IfTargetExists ifExists = IfTargetExists::Fail;
    std::string target;  // the path written, a link the user named resolved
    std::string folder;
    win32::Handle file;
    std::string temporaryPath;
    int cleanupSlot = -1;
    std::optional<FileLocation> attributeSource;
    std::optional<FileIdentity> expected;
    std::vector<std::string> notes;

    const std::string& path() const { return location.path; }

    void createTemporaryFile();
    void setAttributes(DWORD attributes);
    void putInPlace(bool replacing, DWORD replacedAttributes);
    void discard() noexcept;
    [[noreturn]] void fail(DWORD code) {
        discard();
        refuseWithCode(path(), code);
    }
};

void AtomicFileWriter::State::createTemporaryFile() {
    const std::vector<std::string> removed = temporary_files::removeStale(folder);
    notes.insert(notes.end(), removed.begin(), removed.end());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = randomTemporaryName(folder);
        const temporary_files::SignalsHeld held;
        // Others may delete it (the console's handler while it is open) and rename it (the
        // replacement), but not open it to read or write.
        file = win32::Handle(::CreateFileW(
            win32::widePath(name).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
            CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (file.valid()) {
            temporaryPath = name;
            cleanupSlot = temporary_files::add(temporaryPath);
            return;
        }
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            refuseWithCode(path(), code);
        }
    }
    refuse(path(), kExists, EEXIST);
}

// The new file's attributes, without the temporary file's hidden and temporary marks.
void AtomicFileWriter::State::setAttributes(DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic)) {
        fail(::GetLastError());
    }
}

void AtomicFileWriter::State::putInPlace(bool replacing, DWORD replacedAttributes) {
    const std::wstring from = win32::widePath(temporaryPath);
    const std::wstring to = win32::widePath(target);
    // Held against the console's handler, so that the file is either in place or removed.
    const temporary_files::SignalsHeld held;
    if (!replacing) {
        // Without MOVEFILE_REPLACE_EXISTING the rename fails when the name was taken meanwhile.
        if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            fail(::GetLastError());
        }
    } else {
        // ReplaceFileW refuses a read-only file; it was allowed (ReplaceEvenIfNotWritable), and
        // the new file takes the attribute over with the others.
        const bool readOnly = (replacedAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        if (readOnly) {
            ::SetFileAttributesW(to.c_str(),
                                 replacedAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        }
        // Not of the temporary files' pattern: nothing ever removes it as stale or on Ctrl+C.
        const std::string kept = randomTemporaryName(folder) + ".old";
        const std::wstring backup = win32::widePath(kept);
        if (!::ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            const DWORD code = ::GetLastError();
            // The replaced file went to the backup name and the new one did not arrive: back.
            if (code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 &&
                !::MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
                discard();
                refuse(path(),
                       win32::errorText(code) + " Its old contents are in \"" + kept + "\".",
                       win32::errnoOf(code));
            }
            if (readOnly) {
                ::SetFileAttributesW(to.c_str(), replacedAttributes);
            }
            fail(explainDenial(target, code));
        }
        if (!::DeleteFileW(backup.c_str())) {
            notes.push_back("The old contents stay in \"" + kept +
                            "\": " + win32::errorText(::GetLastError()));
        }
        if (readOnly) {
            ::SetFileAttributesW(to.c_str(), replacedAttributes & kKeptAttributes);
        }
    }
    temporary_files::release(cleanupSlot);
    cleanupSlot = -1;
    temporaryPath.clear();
}

void AtomicFileWriter::State::discard() noexcept {
    file.close();
    if (!temporaryPath.empty()) {
        ::DeleteFileW(win32::widePath(temporaryPath).c_str());
        temporaryPath.clear();
    }
    temporary_files::release(cleanupSlot);
    cleanupSlot = -1;
}

void AtomicFileWriter::check(const FileLocation& location, IfTargetExists ifExists) {
    const std::string target = reachTarget(location);
    inspectTarget(location.path, target, ifExists);
    const std::string folder = paths::folderOf(target);
    const DWORD attributes = ::GetFileAttributesW(win32::widePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        refuseWithCode(location.path, ::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        refuseWithCode(location.path, ERROR_PATH_NOT_FOUND);  // as creating a file there would
    }
    // Whether the folder takes a new file depends on its access control list.
    if (!win32::folderTakesNewFiles(folder)) {
        refuseWithCode(location.path, ::GetLastError());
    }
}

AtomicFileWriter::AtomicFileWriter(FileLocation location, IfTargetExists ifExists)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.location = std::move(location);
    s.ifExists = ifExists;
    s.target = reachTarget(s.location);
    s.folder = paths::folderOf(s.target);
    inspectTarget(s.path(), s.target, ifExists);
    s.createTemporaryFile();
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    state_->discard();
}

void AtomicFileWriter::keepMetadataOf(FileLocation original) {
    state_->attributeSource = std::move(original);
}

void AtomicFileWriter::limitPermissionsTo(FileLocation) {
    // A new file on Windows gets the permissions its folder passes on, as every new file there.
}

void AtomicFileWriter::replaceOnly(FileIdentity identity) {
    state_->expected = identity;
}

const std::vector<std::string>& AtomicFileWriter::notes() const {
    return state_->notes;
}

bool AtomicFileWriter::isOpen() const {
    return state_->file.valid();
}

void AtomicFileWriter::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
        DWORD written = 0;
        if (!::WriteFile(state_->file.get(), bytes.data(), chunk, &written, nullptr)) {
            state_->fail(::GetLastError());
        }
        bytes.remove_prefix(written);
    }
}

void AtomicFileWriter::commit() {
    State& s = *state_;
    if (!s.file.valid()) {
        return;
    }
    flush();
    DWORD attributes = 0;
    bool replacing = false;
    try {
        const std::optional<Inspected> existing = inspectTarget(s.path(), s.target, s.ifExists);
        replacing = existing.has_value();
        if (s.expected && (!existing || existing->identity != *s.expected)) {
            refuse(s.path(), kChanged, 0);
        }
        if (existing) {
            attributes = existing->attributes & kKeptAttributes;
        } else if (s.attributeSource) {
            const DWORD source =
                ::GetFileAttributesW(win32::widePath(s.attributeSource->path).c_str());
            attributes = source != INVALID_FILE_ATTRIBUTES ? source & kKeptAttributes : 0;
        }
    } catch (...) {
        s.discard();
        throw;
    }
    // A read-only mark goes on only once the file is in place: it would stop the rename.
    s.setAttributes(attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (!::FlushFileBuffers(s.file.get())) {
        s.fail(::GetLastError());
    }
    // Closed, so that the renaming functions may open it as they need; it stays registered for
    // removal until it is in place.
    s.file.close();
    s.putInPlace(replacing, attributes);
    if (!replacing && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(win32::widePath(s.target).c_str(), attributes);
    }
}

}  // namespace quillshift
