#pragma once

#include <string>
#include <string_view>

namespace quillshift {

/// What an AtomicFileWriter does when its target already exists.
enum class IfTargetExists {
    /// The commit fails with "The file already exists." (errno EEXIST). The file is created under
    /// its name only if that name is still free at that moment, so two writers racing for one new
    /// name cannot both succeed.
    Fail,
    /// The commit replaces the file in one atomic rename, keeping its owner, group and mode.
    Replace,
};

/// Writes a file so that it appears complete or not at all.
///
/// The bytes go to a temporary file in the target's folder: an unnamed one where the file system
/// allows it, so that not even a killed process leaves it behind, else a hidden
/// ".quillshift-XXXXXX" that is removed on failure, on destruction before commit() and on SIGINT,
/// SIGTERM and SIGHUP. commit() flushes it to disk, puts it in place and syncs the folder, so that
/// the new name survives a power cut. An existing target is never changed until then.
///
/// Only regular files are replaced: a target that is a folder, a device, a pipe or a socket is
/// refused, and so is one with several hard links (replacing it would leave the old contents under
/// its other names). A symbolic link is followed; its final target must be a regular file or
/// absent (a dangling link is itself replaced).
///
/// Every failure throws FileError `Cannot create file "PATH". REASON`, PATH being the path
/// given to the constructor, with the errno behind it where there is one.
class AtomicFileWriter {
public:
    /// Checks the target and opens the temporary file. Throws when the target cannot be written
    /// (see check()) or when its folder cannot take a new file.
    AtomicFileWriter(std::string path, IfTargetExists ifExists);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Appends `bytes` (buffered). Throws on a write failure such as a full disk.
    void write(std::string_view bytes);

    /// Finishes the file and puts it in place of the target. Throws on failure; the target is then
    /// as it was.
    void commit();

    /// Makes a new file (one that replaces nothing) get the owner, group and mode of the file at
    /// `path`, as a backup copy should; a file that replaces another keeps that one's anyway.
    void keepOwnershipOf(std::string path) { ownershipSource_ = std::move(path); }

    /// Throws what the constructor would for `path` without creating anything: a target that may
    /// not be replaced, or a folder that is missing or may not be written.
    static void check(const std::string& path, IfTargetExists ifExists);

private:
    void flush();
    void writeAll(std::string_view bytes);
    void takeOverOwnership();
    void putInPlace();
    void syncFolder();
    void discard() noexcept;
    [[noreturn]] void fail(int errorNumber);

    std::string path_;        // as given, for messages
    std::string targetPath_;  // with symbolic links resolved
    std::string folder_;
    IfTargetExists ifExists_;
    std::string tempPath_;  // empty while the temporary file has no name
    int fd_ = -1;
    int cleanupSlot_ = -1;
    std::string ownershipSource_;
    std::string buffer_;
};

/// Writes `bytes` to `path` with an AtomicFileWriter.
void writeFileAtomically(const std::string& path, std::string_view bytes, IfTargetExists ifExists);

namespace testing {
/// Makes writers use named temporary files even where unnamed ones are possible, as on file
/// systems without them; for tests of that path.
void useNamedTemporaryFiles(bool named);
}  // namespace testing

}  // namespace quillshift
