#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// What a command-line program gets from the system it runs on, the same way on every system:
// arguments and environment in UTF-8, standard streams that carry bytes unchanged, and whether
// standard output shows colour.
namespace quillshift::process {

/// The program's arguments after its name. On Windows they are read from the wide command line,
/// so that names outside the ANSI code page arrive whole, in UTF-8, and wildcards (*.ifs) are
/// expanded to the names they match, as a POSIX shell does before the program starts; elsewhere
/// they are argv.
std::vector<std::string> arguments(int argc, char** argv);

/// The value of the environment variable `name` (UTF-8), or nothing when it is not set.
std::optional<std::string> environmentVariable(const std::string& name);

/// Makes the standard streams fit for a filter of bytes. On POSIX systems a write to a pipe whose
/// reader has gone becomes an error to report instead of a silent death (SIGPIPE is ignored). On
/// Windows the three streams become binary (no CR LF translation, no end at a Ctrl-Z byte), and a
/// console shows the UTF-8 the program prints; its code page is restored when the program ends.
void prepareStandardStreams();

/// A moment in the local time of the system, and that time's offset from UTC in seconds.
struct LocalTime {
    std::tm fields{};
    long utcOffset = 0;
};

/// The local time of `secondsSinceEpoch` (seconds since 1970, UTC).
LocalTime localTime(long long secondsSinceEpoch);

/// True when standard output is a terminal that shows colour: a POSIX terminal, or a Windows
/// console that accepts escape sequences (Windows 10 and later), which this switches on for the
/// rest of the run. A file or a pipe never is.
bool standardOutputTakesColor();

}  // namespace quillshift::process
