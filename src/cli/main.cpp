#include <malloc.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/BatchRun.h"

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Buffers of a megabyte or more (a file, a long line) go back to the system when freed. Left
    // to itself, glibc raises this threshold when the first such buffer is freed, so the next
    // file's or pass's buffers would stay in the heap beside the memory of the last.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    // A closed pipe on standard output is then an error to report, not a silent death.
    ::signal(SIGPIPE, SIG_IGN);

    quillshift::cli::ProgramStreams streams{
        std::cin, std::cout,     std::cerr,     stdout,
        stderr,   STDOUT_FILENO, STDERR_FILENO, ::isatty(STDOUT_FILENO) == 1};
    return quillshift::cli::runBatch(std::vector<std::string>(argv + 1, argv + argc), streams);
}
