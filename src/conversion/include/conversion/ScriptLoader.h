#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileLocation.h"

namespace quillshift {

/// Walks 8-bit script text line by line, the way a script pane loads a file:
/// a line ends at CR or LF; after a line one CR is skipped if present, then one LF if present, so
/// CR LF, a lone CR and a lone LF are one break each and LF CR is two breaks. A last line without
/// terminator counts; a terminator at the very end adds no empty line; empty text has no lines.
/// Every tab becomes exactly four blanks. The text must not hold a NUL byte (see findNulLine);
/// one that does is treated as an ordinary character here.
/// The reader keeps a view of `bytes`, which must outlive it.
class ScriptLineReader {
public:
    explicit ScriptLineReader(std::string_view bytes);

    /// Puts the next line into `line` (reusing its storage) and returns true; false at the end.
    bool next(std::string& line);

    /// Points `line` at the next line and returns true; false at the end. The view is into the
    /// text itself, or into `scratch` when tabs had to be expanded; it stays valid while the text
    /// lives and `scratch` is unchanged, so the next call with the same scratch may end it.
    bool next(std::string_view& line, std::string& scratch);

    /// As next(), but `line` keeps its tabs (each stands for four blanks) and is always a view
    /// into the text; `raw` receives the line's bytes with its terminator.
    bool nextRaw(std::string_view& line, std::string_view& raw);

    /// Makes mayOpenComment() tell about each line read from now on. The text is then searched
    /// for "{" and "*" too, each byte at most once, as for the line ends.
    void watchCommentOpeners();

    /// While watching: false when the line read last holds neither "{" nor "*", so that it cannot
    /// open a comment. True when not watching.
    bool mayOpenComment() const { return lineMayOpenComment_; }

private:
    std::size_t findFrom(char c, std::size_t from) const;

    std::string_view bytes_;
    std::size_t position_ = 0;
    bool watchingOpeners_ = false;
    bool lineMayOpenComment_ = true;
    std::size_t nextBrace_ = 0;  // as nextCr_, while watching
    std::size_t nextStar_ = 0;
    std::size_t nextCr_ = 0;  // position of the next CR (size when none), valid while >= position_
    std::size_t nextLf_ = 0;
};

/// All lines of `bytes`, split and tab-expanded as ScriptLineReader does.
std::vector<std::string> splitScriptLines(std::string_view bytes);

/// The 1-based number of the line holding the first NUL byte of `bytes`, or 0 when it has none.
std::size_t findNulLine(std::string_view bytes);

/// Largest script readFileBytes() reads: 1 GiB. A legacy script is a few kilobytes; a file this
/// big is not one, and reading it whole could exhaust the memory.
inline constexpr std::size_t kMaxScriptFileSize = std::size_t{1} << 30;

/// Reads the whole file at `path` as bytes. Only regular files are read: a pipe (which may wait
/// for a writer for ever), a socket or a device (such as /dev/zero, which never ends) is refused
/// at once, without waiting.
/// Throws FileError `Cannot open file "PATH". REASON` when it cannot be opened or read
/// (a directory gives "Is a directory"), is not a regular file, or is larger than
/// kMaxScriptFileSize.
std::string readFileBytes(const std::string& path);

/// readFileBytes for a file at `location`, whose symbolic links are followed only as it says;
/// with `identity`, it receives which file was read.
std::string readFileBytes(const FileLocation& location, FileIdentity* identity = nullptr);

/// Checks that `bytes` (read from `path`) is 8-bit text.
/// Throws FileError `Cannot open file "PATH". The file contains a NUL byte (line N); it is
/// not an 8-bit text script.` when it holds a NUL byte.
void requireNoNulByte(const std::string& path, std::string_view bytes);

/// Reads the script at `path` and returns its lines (splitScriptLines).
/// Throws FileError as readFileBytes and requireNoNulByte do; nothing is returned then.
std::vector<std::string> loadScriptFile(const std::string& path);

}  // namespace quillshift
