#include "base/TemporaryFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>

#include "base/PosixFolder.h"

namespace quillshift::temporary_files {

namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

// A slot is claimed, filled and then published; the handler reads only published paths.
enum SlotState { kFree, kFilling, kPublished };

struct Slot {
    std::atomic<int> state{kFree};
    int folder = -1;
    char name[NAME_MAX + 1]{};
};

std::array<Slot, kSlots> slots;
std::array<struct sigaction, kSignals.size()> previousActions{};
std::once_flag handlersInstalled;

void removeRegisteredFiles(int signalNumber) {
    const int savedErrno = errno;
    for (Slot& slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == kPublished) {
            ::unlinkat(slot.folder, slot.name, 0);
        }
    }
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (kSignals[i] == signalNumber) {
            ::sigaction(signalNumber, &previousActions[i], nullptr);
        }
    }
    errno = savedErrno;
    // Held back until this handler returns, then delivered to the handler restored above.
    ::raise(signalNumber);
}

void installHandlers() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        if (current.sa_handler == SIG_IGN) {
            continue;
        }
        previousActions[i] = current;
        struct sigaction cleanup {};
        cleanup.sa_handler = removeRegisteredFiles;
        sigemptyset(&cleanup.sa_mask);
        ::sigaction(kSignals[i], &cleanup, nullptr);
    }
}

// When this process started: a temporary file changed since may belong to a run still at work.
const std::time_t processStart = std::time(nullptr);

bool isTemporaryName(std::string_view name) {
    if (name.size() != kPrefix.size() + 6 || !name.starts_with(kPrefix)) {
        return false;
    }
    const std::string_view tail = name.substr(kPrefix.size());
    return std::all_of(tail.begin(), tail.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// Whether the temporary file `name` in `folder` is one to remove.
bool isStale(int folder, const char* name) {
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != ::geteuid() || info.st_mtime >= processStart) {
        return false;
    }
    // A writer at work holds a lock on its temporary file.
    const posix::Descriptor file(
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    return file.valid() && ::fstat(file.get(), &opened) == 0 && opened.st_ino == info.st_ino &&
           opened.st_dev == info.st_dev && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

std::vector<std::string> removeStale(int folderFd, const std::string& shownFolder) {
    // A folder is known by its device, number and time of birth: a number may be given again to
    // a new folder once the old one is gone.
    static std::mutex mutex;
    static std::set<std::tuple<dev_t, ino_t, long long, long long>> cleaned;
    std::vector<std::string> notes;
    struct statx folderInfo {};
    if (::statx(folderFd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &folderInfo) != 0) {
        return notes;
    }
    if ((folderInfo.stx_mask & STATX_BTIME) != 0) {
        const std::lock_guard lock(mutex);
        if (!cleaned
                 .emplace(makedev(folderInfo.stx_dev_major, folderInfo.stx_dev_minor),
                          folderInfo.stx_ino, folderInfo.stx_btime.tv_sec,
                          folderInfo.stx_btime.tv_nsec)
                 .second) {
            return notes;
        }
    }
    const int listed = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (entries == nullptr) {
        if (listed >= 0) {
            ::close(listed);
        }
        return notes;
    }
    while (const dirent* entry = ::readdir(entries)) {
        if (isTemporaryName(entry->d_name) && isStale(folderFd, entry->d_name) &&
            ::unlinkat(folderFd, entry->d_name, 0) == 0) {
            notes.push_back("Removed the temporary file \"" + std::string(entry->d_name) +
                            "\" that an interrupted run left in \"" + shownFolder + "\".");
        }
    }
    ::closedir(entries);
    return notes;
}

int add(int folderFd, const std::string& name) noexcept {
    if (name.size() > NAME_MAX) {
        return -1;
    }
    std::call_once(handlersInstalled, installHandlers);
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) {
            continue;
        }
        slot.folder = folderFd;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
        slot.state.store(kPublished, std::memory_order_release);
        return i;
    }
    return -1;
}

void release(int slot) noexcept {
    if (slot < 0 || slot >= kSlots) {
        return;
    }
    slots[static_cast<std::size_t>(slot)].state.store(kFree, std::memory_order_release);
}

SignalsHeld::SignalsHeld() noexcept {
    sigset_t held;
    sigemptyset(&held);
    for (int signalNumber : kSignals) {
        sigaddset(&held, signalNumber);
    }
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

SignalsHeld::~SignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace quillshift::temporary_files
