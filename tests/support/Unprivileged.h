#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace quillshift::testing {

/// Runs `check` in a child process, so that limits and signal settings it makes stay there.
/// With `unprivileged`, a child of root first drops to the "nobody" user, so that file permissions
/// apply. Returns true when `check` returned true. Report failures through the result: the child's
/// gtest assertions are not seen by the parent.
inline bool runInChild(const std::function<bool()>& check, bool unprivileged) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline bool runUnprivileged(const std::function<bool()>& check) {
    return runInChild(check, true);
}

}  // namespace quillshift::testing
