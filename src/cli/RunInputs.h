#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace quillshift::cli {

/// The input files of one run, known by identity (device and inode) and by path, so that no
/// output of the run can replace one of them: not through another path, "..", a symbolic or a
/// hard link. Taken once, before anything is written.
class RunInputs {
public:
    explicit RunInputs(const std::vector<std::string>& inputs);

    /// True when writing `output` would write onto one of the inputs: the same file, or the path
    /// of an input that does not exist yet.
    bool contains(const std::string& output) const;

private:
    std::set<std::pair<dev_t, ino_t>> files_;
    std::set<std::string> paths_;
};

/// `path` made absolute and normal, with the symbolic links of its existing part resolved; the
/// path itself when that fails.
std::string comparablePath(const std::string& path);

}  // namespace quillshift::cli
