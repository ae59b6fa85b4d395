#include "base/ProcessEnvironment.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "base/Win32.h"

// The C run-time's own parser of the wide command line (msvcrt.dll), the one that gives argv; the
// shell's CommandLineToArgvW would make the program depend on shell32.dll. With expandWildcards
// it expands *.ifs as a POSIX shell would, which neither cmd.exe nor PowerShell does.
extern "C" int __cdecl __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment,
                                      int expandWildcards, int* startInfo);

namespace quillshift::process {

namespace {

UINT originalOutputCodePage = 0;

void restoreConsoleCodePage() {
    if (originalOutputCodePage != 0) {
        ::SetConsoleOutputCP(originalOutputCodePage);
    }
}

bool isConsole(DWORD standardHandle) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    int newMode = 0;
    if (::__wgetmainargs(&count, &wide, &environment, 1, &newMode) != 0 || wide == nullptr) {
        return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i) {
        result.push_back(win32::narrow(wide[i]));
    }
    return result;
}

std::optional<std::string> environmentVariable(const std::string& name) {
    const wchar_t* value = ::_wgetenv(win32::widen(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return win32::narrow(value);
}

void prepareStandardStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr}) {
        ::_setmode(::_fileno(stream), _O_BINARY);
    }
    if (isConsole(STD_OUTPUT_HANDLE) || isConsole(STD_ERROR_HANDLE)) {
        originalOutputCodePage = ::GetConsoleOutputCP();
        if (originalOutputCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
            std::atexit(restoreConsoleCodePage);
        } else {
            originalOutputCodePage = 0;
        }
    }
}

LocalTime localTime(long long secondsSinceEpoch) {
    LocalTime local;
    const auto when = static_cast<time_t>(secondsSinceEpoch);
    if (::localtime_s(&local.fields, &when) != 0) {
        return local;
    }
    // The C run-time's %z gives the zone's name; the offset is what the fields say beyond UTC.
    std::tm asUtc = local.fields;
    local.utcOffset = static_cast<long>(::_mkgmtime(&asUtc) - when);
    return local;
}

bool standardOutputTakesColor() {
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!::GetConsoleMode(output, &mode)) {
        return false;  // a file or a pipe
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace quillshift::process
