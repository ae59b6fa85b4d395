#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace quillshift::testing {

/// The user and group id of "nobody", whom file permissions stop.
inline constexpr uid_t kNobody = 65534;

/// Runs `check` in a child process, so that limits and signal settings it makes stay there.
/// With `unprivileged`, a child of root first drops to the "nobody" user, so that file permissions
/// apply. Returns true when `check` returned true. Report failures through the result: the child's
/// gtest assertions are not seen by the parent.
inline bool runInChild(const std::function<bool()>& check, bool unprivileged) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && ::geteuid() == 0 &&
            (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(2);
        }
        int result = 3;  // an exception must not return into the test program's copy
        try {
            result = check() ? 0 : 1;
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool runUnprivileged(const std::function<bool()>& check) {
    return runInChild(check, true);
}

/// For code that must stay in this process (a window, say): while one of these lives, a process
/// run by root acts as "nobody" (only the effective user changes), and it is root again
/// afterwards. Does nothing when not `wanted` or when not run by root. Aborts if a switch fails.
class ActingAsNobody {
public:
    explicit ActingAsNobody(bool wanted = true) : switched_(wanted && ::geteuid() == 0) {
        if (switched_ && ::seteuid(kNobody) != 0) {
            std::abort();
        }
    }
    ~ActingAsNobody() {
        if (switched_ && ::seteuid(0) != 0) {
            std::abort();
        }
    }
    ActingAsNobody(const ActingAsNobody&) = delete;
    ActingAsNobody& operator=(const ActingAsNobody&) = delete;

private:
    bool switched_;
};

}  // namespace quillshift::testing
