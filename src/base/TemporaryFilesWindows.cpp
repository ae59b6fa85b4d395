#include "base/TemporaryFiles.h"

#include <array>
#include <mutex>

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

}  // namespace

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
