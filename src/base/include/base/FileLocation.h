#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/FileIdentity.h"
#include "base/Paths.h"

namespace quillshift {

/// A file to open or create, and how far symbolic links on its way are followed.
///
/// The first `followedLength` bytes of `path` name a folder that the user gave: symbolic links
/// there are followed as the system does. Every name after them, the file's own included, must not
/// be a symbolic link: such a name was met during a run (in a folder walked, a list of files, a
/// backup name), and following it could lead anywhere, say to a file outside the folder the user
/// meant. A path the user typed as the file itself is followed whole.
struct FileLocation {
    std::string path;
    std::size_t followedLength = std::string::npos;

    /// A file the user named: every link on the way is followed, its own name included.
    static FileLocation given(std::string path) { return {std::move(path), std::string::npos}; }

    /// A file met during a run at `path`, in a folder the user gave: the folder part is followed,
    /// the file's own name is not ("a/b.ifs" follows "a", "b.ifs" follows nothing).
    static FileLocation metAt(std::string path) {
        const std::size_t slash = path.find_last_of(paths::kSeparators);
        return {std::move(path), slash == std::string::npos ? 0 : slash};
    }

    /// `relative` (no "..", no leading '/') met below the folder `folder` that the user gave.
    static FileLocation below(std::string_view folder, std::string_view relative);

    /// True when the file's own name is followed if it is a link.
    bool followsOwnName() const { return followedLength >= path.size(); }
};

/// The text for a name on the way (or the file itself) that is a symbolic link and not followed.
std::string linkNotFollowedReason(const std::string& shownPath);

/// Creates the folder at `folder` and the folders missing on its way below its followed part,
/// never through a symbolic link. Throws FileError `Cannot create file "FILE". Its folder could
/// not be created: REASON`, FILE being `forFile`, the file that was to go into it.
void createFolders(const FileLocation& folder, const std::string& forFile);

}  // namespace quillshift
