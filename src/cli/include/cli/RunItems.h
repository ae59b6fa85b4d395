#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/FileLocation.h"
#include "cli/CliOptions.h"

namespace quillshift::cli {

/// One input of a run and where its conversion goes.
struct RunItem {
    std::string input;      ///< as shown: a path, or "-" for standard input
    FileLocation source;    ///< where the input is read (a link followed with --follow-symlinks
                            ///< leads elsewhere than `input`)
    std::string output;     ///< a path, "-" for standard output, the input itself in place, or ""
                            ///< when the run writes nothing and names no output
    FileLocation target;    ///< where the output is written
    std::string backup;     ///< in place: where the original is kept
    std::string newFolder;  ///< with -r -o: the folder below DIR that the output goes into,
                            ///< created when it is written; empty otherwise
    FileLocation newFolderLocation;
    std::string problem;  ///< why the input cannot be converted (a folder without -r, say);
                          ///< empty when it can
    bool skip = false;    ///< the problem is a reason to skip the input, not a failure

    /// Where the backup is written: in the input's folder, and never through a link.
    FileLocation backupLocation() const;
};

/// The inputs of the run, in order: each given file, and with -r the scripts (*.ifs in any letter
/// case) found in each given folder, sorted by name; hidden folders are entered only with
/// --hidden. A symbolic link met in a folder, or named in the --files-from list, is reported and
/// skipped unless --follow-symlinks is given, and then followed only when it leads to a place
/// inside one of the folders given. `listed` are the paths read from --files-from, which come
/// after the positional ones. With -o, a script found in a folder keeps its place below that
/// folder, so that two scripts of one name in different folders do not collide. Never throws:
/// what cannot be listed becomes an item with a problem.
std::vector<RunItem> listRunItems(const CliOptions& options,
                                  const std::vector<std::string>& listed);

/// The paths in `text` as --files-from reads them: one a line, or, with `nulSeparated`, each ended
/// by a NUL byte. Empty entries are skipped; a CR before the line feed is kept (it is part of the
/// name).
std::vector<std::string> splitFileList(const std::string& text, bool nulSeparated);

/// The most --files-from reads, in bytes: a list of this size names hundreds of thousands of
/// scripts; an endless source (/dev/zero, a pipe that never ends) stops here.
inline constexpr std::size_t kMaxFileListSize = std::size_t{16} << 20;

/// The paths of the --files-from list of `options` (standard input for "-"), read up to
/// kMaxFileListSize. Throws UsageError for a list that cannot be read or is larger, or that holds
/// a name longer than a path can be.
std::vector<std::string> readFileList(const CliOptions& options);

}  // namespace quillshift::cli
