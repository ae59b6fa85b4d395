#include "base/ProcessEnvironment.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>

namespace quillshift::process {

std::vector<std::string> arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::optional<std::string> environmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

void prepareStandardStreams() {
    ::signal(SIGPIPE, SIG_IGN);
}

LocalTime localTime(long long secondsSinceEpoch) {
    LocalTime local;
    const auto when = static_cast<time_t>(secondsSinceEpoch);
    ::localtime_r(&when, &local.fields);
    local.utcOffset = local.fields.tm_gmtoff;
    return local;
}

bool standardOutputTakesColor() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace quillshift::process
