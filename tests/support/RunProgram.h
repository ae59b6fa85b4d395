#pragma once

#ifdef _WIN32
#include <io.h>

#include "base/Win32.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace quillshift::testing {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

#ifdef _WIN32

/// `argument` quoted for the command line as the C run-time splits it into argv.
inline std::wstring quotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes double only before a quote, which gets one of its own.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

/// An inheritable handle of a file opened for the child's standard stream.
inline HANDLE inheritableFile(const std::string& path, bool forWriting) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(win32::widePath(path).c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

#endif

/// Runs `program` with `arguments` in the folder `workingDir`, capturing its output; with
/// `stdoutFd`, its standard output goes there instead, and with `inputPath` its standard input
/// comes from that file. A program still running after `secondsAllowed` is killed (exit code
/// 128 + SIGKILL), so that a hang fails the test.
inline RunResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDir, int stdoutFd = -1,
                            int secondsAllowed = 60, const std::string& inputPath = "") {
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");
    RunResult result;
#ifdef _WIN32
    std::wstring commandLine = L"\"" + win32::widePath(program) + L"\"";
    for (const std::string& argument : arguments) {
        commandLine += L" " + quotedArgument(win32::widen(argument));
    }
    const win32::Handle in(inheritableFile(inputPath.empty() ? "NUL" : inputPath, false));
    const win32::Handle out(stdoutFd >= 0 ? INVALID_HANDLE_VALUE : inheritableFile(outPath, true));
    const win32::Handle err(inheritableFile(errPath, true));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput =
        stdoutFd >= 0 ? reinterpret_cast<HANDLE>(::_get_osfhandle(stdoutFd)) : out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(win32::widePath(program).c_str(), commandLine.data(), nullptr, nullptr,
                         TRUE, 0, nullptr, win32::widePath(workingDir).c_str(), &startup,
                         &process)) {
        const win32::Handle child(process.hProcess);
        ::CloseHandle(process.hThread);
        if (::WaitForSingleObject(child.get(), static_cast<DWORD>(secondsAllowed) * 1000) !=
            WAIT_OBJECT_0) {
            ::TerminateProcess(child.get(), 128 + 9);
            ::WaitForSingleObject(child.get(), INFINITE);
        }
        DWORD exitCode = 0;
        ::GetExitCodeProcess(child.get(), &exitCode);
        result.exitCode = static_cast<int>(exitCode);
    }
#else
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
    if (!inputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, inputPath.c_str(), O_RDONLY, 0);
    }
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
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
#endif
    result.out = readBytes(outPath);
    result.err = readBytes(errPath);
    return result;
}

}  // namespace quillshift::testing
