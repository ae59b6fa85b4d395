#include "base/TemporaryFiles.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <set>
#include <vector>

#include "base/FileIdentity.h"
#include "base/Paths.h"
#include "base/Win32.h"

namespace quillshift::temporary_files {

namespace {

// The console's handler runs on a thread of its own while the program goes on, so the slots are
// guarded by a lock. The handler takes it and never gives it back: the program then waits at its
// next registration or creation until the process ends.
std::recursive_mutex guard;
std::array<std::wstring, kSlots> slots;
std::array<bool, kSlots> used{};
std::once_flag handlerInstalled;

BOOL WINAPI removeRegisteredFiles(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            break;
        default:
            return FALSE;
    }
    guard.lock();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (used[i]) {
            // Opened with FILE_SHARE_DELETE, so the file goes even while it is still open.
            ::DeleteFileW(slots[i].c_str());
        }
    }
    return FALSE;  // the next handler, the system's, ends the process
}

// The writer's names: the prefix and six letters or digits.
bool isTemporaryName(const std::wstring& name) {
    const std::wstring prefix = win32::widen(kPrefix);
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) {
        return false;
    }
    return std::all_of(
        name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](wchar_t c) {
            return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
        });
}

FILETIME processStart() {
    FILETIME created{};
    FILETIME unused{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &unused, &unused, &unused);
    return created;
}

}  // namespace

std::vector<std::string> removeStale(const std::string& folder) {
    static std::mutex mutex;
    static std::set<FileIdentity> cleaned;
    std::vector<std::string> notes;
    const auto identity = fileIdentity(folder);
    {
        const std::lock_guard lock(mutex);
        if (!identity || !cleaned.insert(*identity).second) {
            return notes;
        }
    }
    static const FILETIME started = processStart();
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileW(win32::widePath(paths::joinPath(folder, "*")).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return notes;
    }
    do {
        const bool regular = (entry.dwFileAttributes &
                              (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        if (!regular || !isTemporaryName(entry.cFileName) ||
            ::CompareFileTime(&entry.ftLastWriteTime, &started) >= 0) {
            continue;
        }
        // Opened for nobody else, it is opened only when no program has it open (a writer at
        // work keeps its file open), and it goes when closed.
        const std::string name = win32::narrow(entry.cFileName);
        const HANDLE stale = ::CreateFileW(
            win32::widePath(paths::joinPath(folder, name)).c_str(), DELETE, 0, nullptr,
            OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (stale != INVALID_HANDLE_VALUE) {
            ::CloseHandle(stale);
            notes.push_back("Removed the temporary file \"" + name +
                            "\" that an interrupted run left in \"" + folder + "\".");
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return notes;
}

int add(const std::string& path) noexcept {
    try {
        std::call_once(handlerInstalled,
                       [] { ::SetConsoleCtrlHandler(removeRegisteredFiles, TRUE); });
        const std::lock_guard<std::recursive_mutex> lock(guard);
        for (int i = 0; i < kSlots; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            if (!used[slot]) {
                slots[slot] = win32::widePath(path);
                used[slot] = true;
                return i;
            }
        }
    } catch (...) {
        // Out of memory: the file is not removed on Ctrl+C.
    }
    return -1;
}

void release(int slot) noexcept {
    if (slot < 0 || slot >= kSlots) {
        return;
    }
    const std::lock_guard<std::recursive_mutex> lock(guard);
    used[static_cast<std::size_t>(slot)] = false;
}

SignalsHeld::SignalsHeld() noexcept {
    guard.lock();
}

SignalsHeld::~SignalsHeld() {
    guard.unlock();
}

}  // namespace quillshift::temporary_files
