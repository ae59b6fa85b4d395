#pragma once

#include <string>

#include "base/FileLocation.h"

// How the Windows implementation of the file classes keeps to a FileLocation: every name below
// the folder the user gave is looked at before the file is opened, and one that is a symbolic
// link or a junction (a reparse point that leads elsewhere) is not followed. (Windows opens paths
// whole, so a name swapped for a link between the look and the opening is not found out, as the
// POSIX implementation's opening one name at a time does.)
namespace quillshift::win32 {

/// Why `location`'s file may not be reached: a name below the followed part that is a link
/// (ELOOP), or ".." there (EXDEV); the file's own name counts unless the location follows it.
struct WayProblem {
    int error = 0;  ///< 0 when the way is clear
    std::string reason;
};

WayProblem checkWay(const FileLocation& location);

}  // namespace quillshift::win32
