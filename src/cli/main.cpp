#ifdef __linux__
#include <malloc.h>
#endif

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "base/ProcessEnvironment.h"
#include "cli/BatchRun.h"

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Buffers of a megabyte or more (a file, a long line) go back to the system when freed. Left
    // to itself, glibc raises this threshold when the first such buffer is freed, so the next
    // file's or pass's buffers would stay in the heap beside the memory of the last.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
    // A closed pipe on standard output is then an error to report, not a silent death; and on
    // Windows the scripts pass standard input and output byte for byte.
    quillshift::process::prepareStandardStreams();

    quillshift::cli::ProgramStreams streams{
        .in = std::cin,
        .out = std::cout,
        .err = std::cerr,
        .outFile = stdout,
        .errFile = stderr,
        .outDescriptor = 1,
        .errDescriptor = 2,
        .outIsTerminal = quillshift::process::standardOutputTakesColor(),
    };
    return quillshift::cli::runBatch(quillshift::process::arguments(argc, argv), streams);
}
