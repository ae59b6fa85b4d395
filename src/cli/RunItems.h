#pragma once

#include <string>
#include <vector>

#include "cli/CliOptions.h"

namespace quillshift::cli {

/// One input of a run and where its conversion goes.
struct RunItem {
    std::string input;      ///< a path, or "-" for standard input
    std::string output;     ///< a path, "-" for standard output, the input itself in place, or ""
                            ///< when the run writes nothing and names no output
    std::string backup;     ///< in place: where the original is kept
    std::string newFolder;  ///< with -r -o: the folder below DIR that the output goes into,
                            ///< created when it is written; empty otherwise
    std::string problem;    ///< why the input cannot be converted (a folder without -r, say);
                            ///< empty when it can
};

/// The inputs of the run, in order: each given file, and with -r the scripts (*.ifs in any letter
/// case) found in each given folder, sorted by name; hidden folders and symbolic links to folders
/// are entered only with --hidden and --follow-symlinks. `listed` are the paths read from
/// --files-from, which come after the positional ones. With -o, a script found in a folder keeps
/// its place below that folder, so that two scripts of one name in different folders do not
/// collide. Never throws: what cannot be listed becomes an item with a problem.
std::vector<RunItem> listRunItems(const CliOptions& options,
                                  const std::vector<std::string>& listed);

/// The paths in `text` as --files-from reads them: one a line, or, with `nulSeparated`, each ended
/// by a NUL byte. Empty entries are skipped; a CR before the line feed is kept (it is part of the
/// name).
std::vector<std::string> splitFileList(const std::string& text, bool nulSeparated);

}  // namespace quillshift::cli
