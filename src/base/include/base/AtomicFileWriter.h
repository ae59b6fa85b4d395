#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileLocation.h"

namespace quillshift {

/// What an AtomicFileWriter does when its target already exists.
enum class IfTargetExists {
    /// The commit fails with "The file already exists." (errno EEXIST). The file is created under
    /// its name only if that name is still free at that moment, so two writers racing for one new
    /// name cannot both succeed.
    Fail,
    /// The commit replaces the file in one atomic rename, keeping its owner, group, mode, access
    /// control list and extended attributes where it can. A file that the user may not write to
    /// is refused with kNotWritableReason (errno EACCES).
    Replace,
    /// As Replace, but a file that the user may not write to is replaced too, and a note says
    /// when its owner and group could not be kept.
    ReplaceEvenIfNotWritable,
};

/// The reason a Replace writer gives for a file that the user may not write to; the text goes on
/// to say whose it is.
inline constexpr std::string_view kNotWritableReason =
    "You may not write to it, so it is not replaced.";

/// Writes a file so that it appears complete or not at all.
///
/// The bytes go to a temporary file in the target's folder: an unnamed one where the file system
/// allows it, so that not even a killed process leaves it behind, else a hidden
/// ".quillshift-XXXXXX" that is removed on failure, on destruction before commit() and on SIGINT,
/// SIGTERM and SIGHUP; one that a killed run left behind is removed by the next writer in that
/// folder (see notes()). commit() flushes it to disk, puts it in place and syncs the folder, so
/// that the new name survives a power cut. An existing target is never changed until then.
///
/// Only regular files are replaced: a target that is a folder, a device, a pipe or a socket is
/// refused, and so is one with several hard links (replacing it would leave the old contents under
/// its other names). Symbolic links are followed as the FileLocation says: a target named by the
/// user may be a link, whose final target must then be a regular file or absent (a dangling link
/// is itself replaced); a name met during a run is never written through, nor is any folder on its
/// way that is a link.
///
/// Every failure throws FileError `Cannot create file "PATH". REASON`, PATH being the location's
/// path, with the errno behind it where there is one.
class AtomicFileWriter {
public:
    /// Checks the target and opens the temporary file. Throws when the target cannot be written
    /// (see check()) or when its folder cannot take a new file.
    AtomicFileWriter(FileLocation location, IfTargetExists ifExists);
    /// A target that the user named: AtomicFileWriter(FileLocation::given(path), ifExists).
    AtomicFileWriter(std::string path, IfTargetExists ifExists);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    /// Appends `bytes` (buffered). Throws on a write failure such as a full disk.
    void write(std::string_view bytes);

    /// Finishes the file and puts it in place of the target. Throws on failure; the target is then
    /// as it was.
    void commit();

    /// Makes a new file (one that replaces nothing) get the owner, group, mode, access control
    /// list and extended attributes of the file at `original`, as a backup copy should; a file that
    /// replaces another keeps that one's anyway.
    void keepMetadataOf(FileLocation original);

    /// Makes a new file get no permission that the file at `original` lacks, as cp does: a
    /// private script's conversion stays private.
    void limitPermissionsTo(FileLocation original);

    /// Makes commit() replace the target only if it is still the file `identity` (the file that
    /// was read to make the new contents); a target changed meanwhile is left alone.
    void replaceOnly(FileIdentity identity);

    /// Sentences about what the file could not keep (owner, mode, access control list, extended
    /// attributes) and about stale temporary files removed from its folder; filled by the
    /// constructor and commit().
    const std::vector<std::string>& notes() const;

    /// Throws what the constructor would for `location` without creating anything: a target that
    /// may not be replaced, or a folder that is missing or may not be written.
    static void check(const FileLocation& location, IfTargetExists ifExists);
    static void check(const std::string& path, IfTargetExists ifExists) {
        check(FileLocation::given(path), ifExists);
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    struct State;
    bool isOpen() const;
    void flush();
    void writeAll(std::string_view bytes);

    std::unique_ptr<State> state_;
    std::string buffer_;
};

/// Writes `bytes` to `path` with an AtomicFileWriter.
void writeFileAtomically(const std::string& path, std::string_view bytes, IfTargetExists ifExists);

namespace testing {
/// Makes writers use named temporary files even where unnamed ones are possible, as on file
/// systems without them; for tests of that path.
void useNamedTemporaryFiles(bool named);
/// Makes the calls that set a new file's owner, group, mode, access control list and extended
/// attributes fail with `errorNumber` (0: not), as on a file system without them; for tests.
void failMetadataCalls(int errorNumber);
}  // namespace testing

}  // namespace quillshift
