#pragma once

#include <signal.h>

#include <string>

// Removes registered temporary files when the process is ended by SIGINT, SIGTERM or SIGHUP, and
// then lets the signal take its course (the handler that was there before, usually the default
// that ends the process). A signal that was ignored stays ignored. The handlers are installed at
// the first registration. At most kSlots files are registered at a time.
namespace quillshift::temporary_files {

inline constexpr int kSlots = 16;

/// Registers `path`; returns the slot to release, or -1 when all slots are taken or the path is
/// too long (the file is then not removed on a signal).
int add(const std::string& path) noexcept;

/// Forgets the file of `slot` (-1 is allowed and does nothing).
void release(int slot) noexcept;

/// Holds back the three signals in this thread while it lives, so that a file is never created
/// without being registered.
class SignalsHeld {
public:
    SignalsHeld() noexcept;
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

}  // namespace quillshift::temporary_files
