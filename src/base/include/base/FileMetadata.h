#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

// What a file carries besides its bytes, taken over by the file that replaces it or copies it:
// owner, group, mode, access control list and extended attributes. The POSIX implementation uses
// the system's libraries (libacl, libattr), so that what they know (which attributes are
// permissions, which are the file system's own) is not written twice.
namespace quillshift::posix {

/// Gives the file open as `to` the metadata of the file open as `from`, whose status is
/// `original`. When it could not be opened for reading, `from` is -1 and only what `original`
/// tells is kept; `pathOnly`, when not -1, is the file opened with O_PATH, to tell whether it has
/// attributes that were so lost. Never throws:
/// each thing that cannot be kept adds a sentence to `notes` saying so, for the file shown as
/// `shownPath`. With `noteOwnerChange`, a change of owner or group is noted too.
void copyMetadata(int from, int pathOnly, const struct stat& original, int to,
                  const std::string& shownPath, bool noteOwnerChange,
                  std::vector<std::string>& notes);

/// Sets the mode of the file open as `to`; a file system that cannot adds a note.
void setMode(int to, mode_t mode, std::vector<std::string>& notes);

/// "ann" for a user id (the number when it has no name).
std::string userName(uid_t user);

/// "staff" for a group id (the number when it has no name).
std::string groupName(gid_t group);

}  // namespace quillshift::posix
