#pragma once

#include <string>
#include <string_view>

// Path helpers on plain strings, with '/' as the only separator.
namespace quillshift::paths {

/// The folder of `path` without a trailing '/': "a/b.ifs" gives "a", a bare name gives ".",
/// "/b.ifs" gives "/".
std::string folderOf(std::string_view path);

/// The folder of `path` with a trailing '/': "/opt/q/quillshift" gives "/opt/q/", a bare name
/// gives "./", "/quillshift" gives "/".
std::string folderWithSeparator(std::string_view path);

/// The last component of `path`: "a/b.ifs" gives "b.ifs", "b.ifs" itself, "a/" gives "".
std::string_view fileNameOf(std::string_view path);

/// `folder` and `name` with one '/' between them ("" and "a" give "/a").
std::string joinPath(std::string_view folder, std::string_view name);

}  // namespace quillshift::paths
