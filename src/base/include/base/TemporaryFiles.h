#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

#include <string>
#include <vector>

// Removes registered temporary files when the process is ended by SIGINT, SIGTERM or SIGHUP, and
// then lets the signal take its course (the handler that was there before, usually the default
// that ends the process). A signal that was ignored stays ignored. The handlers are installed at
// the first registration. At most kSlots files are registered at a time.
//
// On Windows (TemporaryFilesWindows.cpp) the files are removed when the console asks the process
// to end: Ctrl+C, Ctrl+Break, the console window closed, logoff or shutdown. Its handler runs on a
// thread of its own; once it has begun, no other thread registers or creates a file again.
namespace quillshift::temporary_files {

inline constexpr int kSlots = 16;

/// The name pattern of the writer's temporary files: this prefix and six letters or digits.
inline constexpr std::string_view kPrefix = ".quillshift-";

#ifdef _WIN32
/// Registers the file at `path`; returns the slot to release, or -1 when all slots are taken (the
/// file is then not removed when the console ends the process).
int add(const std::string& path) noexcept;
#else
/// Registers the file `name` in the folder open as `folderFd` (which must stay open until the
/// slot is released); returns the slot to release, or -1 when all slots are taken or the name is
/// too long (the file is then not removed on a signal).
int add(int folderFd, const std::string& name) noexcept;
#endif

/// Forgets the file of `slot` (-1 is allowed and does nothing).
void release(int slot) noexcept;

#ifdef _WIN32
/// Removes, once per folder and process, the temporary files that an earlier run ended before it
/// could clean up (killed, a power cut) left in `folder`: only names of the writer's pattern,
/// only regular files last changed before this process started and that no program holds open
/// (a writer at work keeps its file open). Returns a sentence for each file removed.
std::vector<std::string> removeStale(const std::string& folder);
#else
/// Removes, once per folder and process, the temporary files that an earlier run killed before it
/// could clean up (SIGKILL, a power cut) left in the folder open as `folderFd` (shown as
/// `shownFolder`): only names of the writer's pattern, only regular files of this user, only
/// ones last changed before this process started and not locked by a writer still at work.
/// Returns a sentence for each file removed.
std::vector<std::string> removeStale(int folderFd, const std::string& shownFolder);
#endif

/// Holds back the three signals in this thread while it lives (on Windows: the console's handler),
/// so that a file is never created without being registered.
class SignalsHeld {
public:
    SignalsHeld() noexcept;
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
#ifndef _WIN32
    sigset_t previous_{};
#endif
};

}  // namespace quillshift::temporary_files
