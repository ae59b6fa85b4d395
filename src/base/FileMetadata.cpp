#include "base/FileMetadata.h"

#include <acl/libacl.h>
#include <attr/error_context.h>
#include <attr/libattr.h>
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "base/AtomicFileWriter.h"
#include "base/FileError.h"

namespace quillshift {

namespace {
std::atomic<int> failingMetadataCalls{0};
}  // namespace

namespace testing {
void failMetadataCalls(int errorNumber) {
    failingMetadataCalls = errorNumber;
}
}  // namespace testing

namespace posix {

namespace {

// The system calls that change metadata, failing as a file system without them would when tests
// ask for it.
bool simulatedFailure() {
    if (const int error = failingMetadataCalls.load(); error != 0) {
        errno = error;
        return true;
    }
    return false;
}

int changeOwner(int fd, uid_t user, gid_t group) {
    return simulatedFailure() ? -1 : ::fchown(fd, user, group);
}

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Collects what libattr reports while it copies.
struct AttributeErrors {
    error_context context{};  // first, so that libattr's pointer is this object's
    std::string first;
    int count = 0;
};

void recordAttributeError(error_context* context, const char* format, ...) {
    auto* errors = reinterpret_cast<AttributeErrors*>(context);
    const int error = errno;
    if (errors->count++ > 0) {
        return;
    }
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    errors->first = std::string(text) + ": " + systemErrorText(error);
}

void copyAttributes(int from, int to, const std::string& shownPath,
                    std::vector<std::string>& notes) {
    const ssize_t listed = ::flistxattr(from, nullptr, 0);
    if (listed <= 0) {
        return;  // none, or a file system without them
    }
    AttributeErrors errors;
    if (simulatedFailure()) {
        errors.count = 1;
        errors.first = "setting its attributes: " + systemErrorText(errno);
    } else {
        errors.context.error = recordAttributeError;
        attr_copy_fd(shownPath.c_str(), from, shownPath.c_str(), to, nullptr, &errors.context);
    }
    if (errors.count > 0) {
        notes.push_back("Its extended attributes could not all be kept (" + errors.first + ").");
    }
}

// The permissions of the owning group that an access control list allows: the group entry as
// limited by the mask. Where the list cannot be kept, these, not the mask, are the group's mode
// bits, so that no member of the group gains a right.
mode_t groupBitsAllowed(acl_t acl, mode_t groupBits) {
    mode_t group = groupBits;
    mode_t mask = 7;
    acl_entry_t entry;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
         which = ACL_NEXT_ENTRY) {
        acl_tag_t tag;
        acl_permset_t permissions;
        if (acl_get_tag_type(entry, &tag) != 0 || acl_get_permset(entry, &permissions) != 0) {
            continue;
        }
        const mode_t bits = (acl_get_perm(permissions, ACL_READ) == 1 ? 4 : 0) |
                            (acl_get_perm(permissions, ACL_WRITE) == 1 ? 2 : 0) |
                            (acl_get_perm(permissions, ACL_EXECUTE) == 1 ? 1 : 0);
        if (tag == ACL_GROUP_OBJ) {
            group = bits;
        } else if (tag == ACL_MASK) {
            mask = bits;
        }
    }
    return group & mask;
}

// Copies an extended access control list; returns the mode to give the file.
mode_t copyAccessControlList(int from, int to, mode_t mode, std::vector<std::string>& notes) {
    if (from < 0 || acl_extended_fd(from) != 1) {
        return mode;
    }
    acl_t acl = acl_get_fd(from);
    if (acl == nullptr) {
        notes.push_back("Its access control list could not be read (" + systemErrorText(errno) +
                        "), so it was not kept.");
        return mode;
    }
    if (simulatedFailure() || acl_set_fd(to, acl) != 0) {
        notes.push_back("Its access control list could not be kept (" + systemErrorText(errno) +
                        "); the group's permissions are those the list allowed it.");
        mode = (mode & ~static_cast<mode_t>(S_IRWXG)) |
               (groupBitsAllowed(acl, (mode & S_IRWXG) >> 3) << 3);
    }
    acl_free(acl);
    return mode;
}

}  // namespace

std::string userName(uid_t user) {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return std::to_string(user);
}

std::string groupName(gid_t group) {
    struct group entry {};
    struct group* found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(group, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return found->gr_name;
    }
    return std::to_string(group);
}

void setMode(int to, mode_t mode, std::vector<std::string>& notes) {
    if (!simulatedFailure() && ::fchmod(to, mode) == 0) {
        return;
    }
    const int error = errno;
    struct stat now {};
    ::fstat(to, &now);
    notes.push_back("Its permissions could not be set to " + octal(mode) + " (" +
                    systemErrorText(error) + "); it has " + octal(now.st_mode) +
                    ", as the file system gave it.");
}

void copyMetadata(int from, int pathOnly, const struct stat& original, int to,
                  const std::string& shownPath, bool noteOwnerChange,
                  std::vector<std::string>& notes) {
    mode_t mode = original.st_mode & 07777;
    if (from >= 0) {
        copyAttributes(from, to, shownPath, notes);
    } else if (pathOnly >= 0 &&
               ::listxattr(("/proc/self/fd/" + std::to_string(pathOnly)).c_str(), nullptr, 0) > 0) {
        notes.emplace_back(
            "Its extended attributes and access control list could not be read, so they "
            "were not kept.");
    }
    mode = copyAccessControlList(from, to, mode, notes);
    if (changeOwner(to, original.st_uid, original.st_gid) != 0) {
        // Only root may give a file away. Keep at least the group where possible, and never hand
        // set-id bits to a file of another owner.
        if (changeOwner(to, static_cast<uid_t>(-1), original.st_gid) != 0) {
            mode &= ~static_cast<mode_t>(S_ISGID);
        }
        mode &= ~static_cast<mode_t>(S_ISUID);
        struct stat now {};
        if (noteOwnerChange && ::fstat(to, &now) == 0 &&
            (now.st_uid != original.st_uid || now.st_gid != original.st_gid)) {
            notes.push_back("Its owner and group changed from " + userName(original.st_uid) + ":" +
                            groupName(original.st_gid) + " to " + userName(now.st_uid) + ":" +
                            groupName(now.st_gid) + " (only root can keep another user's).");
        }
    }
    setMode(to, mode, notes);
}

}  // namespace posix
}  // namespace quillshift
