// The parts of AtomicFileWriter that are the same on every system; the rest is in
// AtomicFileWriter.cpp (POSIX systems) and AtomicFileWriterWindows.cpp.
#include "base/AtomicFileWriter.h"

namespace quillshift {

AtomicFileWriter::AtomicFileWriter(std::string path, IfTargetExists ifExists)
    : AtomicFileWriter(FileLocation::given(std::move(path)), ifExists) {}

void AtomicFileWriter::write(std::string_view bytes) {
    if (!isOpen()) {
        return;
    }
    if (buffer_.size() + bytes.size() <= kBufferSize) {
        buffer_.append(bytes);
        return;
    }
    flush();
    if (bytes.size() < kBufferSize) {
        buffer_.append(bytes);
    } else {
        writeAll(bytes);
    }
}

void AtomicFileWriter::flush() {
    writeAll(buffer_);
    buffer_.clear();
}

void writeFileAtomically(const std::string& path, std::string_view bytes, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    file.write(bytes);
    file.commit();
}

}  // namespace quillshift
