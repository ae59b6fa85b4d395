#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/FileLocation.h"

namespace quillshift::cli {

/// The input files of one run, known by identity (device and inode) and by path, so that no
/// output of the run can replace one of them: not through another path, "..", a symbolic or a
/// hard link. Taken once, before anything is written.
class RunInputs {
public:
    /// "-" stands for standard input, known by the file it reads, if any.
    explicit RunInputs(const std::vector<std::string>& inputs);

    /// True when writing `output` would write onto one of the inputs: the same file, or the path
    /// of an input that does not exist yet.
    bool contains(const std::string& output) const;

    /// The input that is the file `identity`, or null.
    const std::string* find(const FileIdentity& identity) const;

private:
    std::map<FileIdentity, std::string> files_;
    std::set<std::string> paths_;
};

/// `path` made absolute and normal, with the symbolic links of its existing part resolved; the
/// path itself when that fails.
std::string comparablePath(const std::string& path);

}  // namespace quillshift::cli
