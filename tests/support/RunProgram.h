#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace quillshift::testing {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

/// Runs `program` with `arguments` in the folder `workingDir`, capturing its output; with
/// `stdoutFd`, its standard output goes there instead. A program still running after
/// `secondsAllowed` is killed (exit code 128 + SIGKILL), so that a hang fails the test.
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDir, int stdoutFd = -1,
                            int secondsAllowed = 60) {
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (auto& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
    RunResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
            if (waited == secondsAllowed * 100) {
                ::kill(pid, SIGKILL);
            }
            ::usleep(10000);
        }
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readBytes(outPath);
    result.err = readBytes(errPath);
    return result;
}

}  // namespace quillshift::testing
