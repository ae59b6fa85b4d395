// Writes part of a file with the atomic writer and waits, so that a test can end it with Ctrl+C
// in the middle: interrupted-write.sh checks that the target stays as it was and that no
// temporary file is left.
// Usage: InterruptedWriter TARGET replace|new READY_FILE
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/AtomicFileWriter.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "Usage: InterruptedWriter TARGET replace|new READY_FILE\n");
        return 2;
    }
    using quillshift::IfTargetExists;
    const IfTargetExists ifExists =
        std::string(argv[2]) == "replace" ? IfTargetExists::Replace : IfTargetExists::Fail;
    quillshift::AtomicFileWriter writer(argv[1], ifExists);
    writer.write(std::string(3 << 20, 'x'));
    // Written out, so that the temporary file holds what a cut-off write would.
    std::FILE* ready = std::fopen(argv[3], "wb");
    if (ready == nullptr) {
        return 2;
    }
    std::fclose(ready);
    ::Sleep(60000);
    return 3;  // not interrupted
}
