#pragma once

#include <string>
#include <string_view>

namespace quillshift {

/// Writes a file so that it appears complete or not at all.
///
/// The bytes go to a hidden temporary file in the target's folder; commit() flushes it to disk,
/// gives it the permissions of the file it replaces (or those of a new file under the current
/// umask) and renames it over the target. If anything fails, or the writer is destroyed before
/// commit(), the temporary file is removed and an existing target is left untouched.
/// A target that is a symbolic link is written through the link.
/// Every failure throws ScriptFileError `Cannot create file "PATH". REASON`, PATH being the path
/// given to the constructor.
class AtomicFileWriter {
public:
    /// Opens the temporary file for `path`. Throws when the folder cannot take it or when `path`
    /// names a folder.
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Appends `bytes` (buffered). Throws on a write failure such as a full disk.
    void write(std::string_view bytes);

    /// Finishes the file and puts it in place of the target. Throws on failure.
    void commit();

private:
    void flush();
    void writeAll(std::string_view bytes);
    void discard() noexcept;
    [[noreturn]] void fail(int errorNumber);

    std::string path_;        // as given, for messages
    std::string targetPath_;  // with a symbolic link resolved
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
};

/// Writes `bytes` to `path` with an AtomicFileWriter.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quillshift
