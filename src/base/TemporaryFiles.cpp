#include "base/TemporaryFiles.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace quillshift::temporary_files {

namespace {

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

// A slot is claimed, filled and then published; the handler reads only published paths.
enum SlotState { kFree, kFilling, kPublished };

struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX]{};
};

std::array<Slot, kSlots> slots;
std::array<struct sigaction, kSignals.size()> previousActions{};
std::once_flag handlersInstalled;

void removeRegisteredFiles(int signalNumber) {
    const int savedErrno = errno;
    for (Slot& slot : slots) {
        if (slot.state.load(std::memory_order_acquire) == kPublished) {
            ::unlink(slot.path);
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

}  // namespace

int add(const std::string& path) noexcept {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    std::call_once(handlersInstalled, installHandlers);
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots[static_cast<std::size_t>(i)];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) {
            continue;
        }
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
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
