#pragma once

#include <cstdio>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace quillshift::cli {

/// The standard streams of a run of the batch converter. A run in the program has the process's
/// own; a test may give string streams and leave the rest unset.
struct ProgramStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    /// The C streams behind `out` and `err`, checked for write errors when the run ends; null
    /// when there are none.
    std::FILE* outFile = nullptr;
    std::FILE* errFile = nullptr;
    /// Their descriptors, so that no input of the run is also one of them; -1 when there are
    /// none.
    int outDescriptor = -1;
    int errDescriptor = -1;
    bool outIsTerminal = false;  ///< --color=auto colours there, unless NO_COLOR is set
};

/// Runs the batch converter with the command line `arguments` (after the program's name): parses
/// them, converts every input they name as they ask, and reports on `streams`. Returns the exit
/// status: 0 when every input converted or was skipped, 1 when any failed, would convert (with
/// --check or --diff), had a warning left (with --strict) or the report could not be written, 2
/// for a usage error. Never throws for anything a user can do.
int runBatch(const std::vector<std::string>& arguments, ProgramStreams& streams);

}  // namespace quillshift::cli
