#pragma once

#ifndef _WIN32
#include <limits.h>
#endif

#include <cstddef>
#include <string>
#include <string_view>

// Path helpers on plain strings. On POSIX systems '/' is the only separator. On Windows both '\'
// and '/' separate folders, '\' is the one written, and a path may begin with a drive ("C:",
// "C:\") or a network share ("\\server\share\"), which is never split.
namespace quillshift::paths {

#ifdef _WIN32
/// The separator written between folders.
inline constexpr char kSeparator = '\\';
/// Every character that separates folders in a path.
inline constexpr std::string_view kSeparators = "\\/";
/// The characters a file name may not hold besides the separators (":" would name a stream of
/// the file before it).
inline constexpr std::string_view kNotInNames = "<>:\"|?*";
/// The longest path the system takes, in bytes of UTF-8: 32767 UTF-16 units with the "\\?\"
/// prefix, each up to three bytes.
inline constexpr std::size_t kMaxPathBytes = 32767 * 3;
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparators = "/";
inline constexpr std::string_view kNotInNames{};
inline constexpr std::size_t kMaxPathBytes = PATH_MAX;
#endif

/// True when `c` separates folders in a path.
constexpr bool isSeparator(char c) {
    return kSeparators.find(c) != std::string_view::npos;
}

/// Length of the start of `path` that names where it begins and is never split: 1 for "/" on POSIX
/// systems; on Windows 2 for "C:", 3 for "C:\" and the length of "\\server\share\"; else 0.
std::size_t rootLength(std::string_view path);

/// True when `path` does not depend on the current folder: it begins with "/"; on Windows with a
/// drive and a separator ("C:\") or a network share ("\\server\share").
bool isAbsolute(std::string_view path);

/// `path` without separators at its end, except those of its root: "/a/b//" gives "/a/b", "/"
/// stays "/", and on Windows "C:\" stays "C:\".
std::string withoutTrailingSeparators(std::string_view path);

/// The folder of `path` without a trailing separator: "a/b.ifs" gives "a", a bare name gives ".",
/// "/b.ifs" gives "/"; on Windows "C:\s\b.ifs" gives "C:\s", "C:\b.ifs" "C:\" and "C:b.ifs" "C:".
std::string folderOf(std::string_view path);

/// The folder of `path` with a trailing separator: "/opt/q/quillshift" gives "/opt/q/", a bare name
/// gives "./" (".\" on Windows), "/quillshift" gives "/"; on Windows "C:\s\old.ifs" gives "C:\s\"
/// and "C:old.ifs" "C:".
std::string folderWithSeparator(std::string_view path);

/// The last component of `path`: "a/b.ifs" gives "b.ifs", "b.ifs" itself, "a/" gives ""; on
/// Windows "C:\s\old.ifs" and "C:old.ifs" give "old.ifs".
std::string_view fileNameOf(std::string_view path);

/// `folder` and `name` with one separator between them ("" and "a" give "/a"; on Windows "C:" and
/// "a" give "C:a", in the drive's current folder, and "C:\s" and "a" give "C:\s\a").
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace quillshift::paths
