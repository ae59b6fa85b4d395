#include "cli/RunItems.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <utility>

#include "base/FileError.h"
#include "base/FileIdentity.h"
#include "base/FileReading.h"
#include "base/Files.h"
#include "base/Paths.h"
#include "base/TextOps.h"
#include "cli/ShownText.h"

namespace quillshift::cli {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLinkSkipped =
    "it is a symbolic link; links met in a folder or a list are followed only with "
    "--follow-symlinks";

bool isScriptName(std::string_view name) {
    return name.size() > 4 && text::equalsIgnoringAsciiCase(name.substr(name.size() - 4), ".IFS");
}

bool isInside(const std::string& path, const std::string& folder) {
    const bool root = paths::rootLength(folder) == folder.size();  // "/", or "C:\" on Windows
    return path == folder || (root && path.starts_with(folder)) ||
           (path.size() > folder.size() && path.starts_with(folder) &&
            paths::isSeparator(path[folder.size()]));
}

// A folder to walk: the path shown for it, and where it is reached.
struct Walked {
    std::string shown;
    FileLocation place;
};

class Lister {
public:
    Lister(const CliOptions& options, std::vector<RunItem>& items)
        : options_(options), items_(items) {
        for (const std::string& input : options.inputs) {
            if (options.recursive && input != "-" && files::isFolder(input)) {
                roots_.push_back(files::realPath(input));
            }
        }
    }

    void add(const std::string& input, bool listed) {
        const bool standardInput = input == "-";
        if (listed && !standardInput && !options_.followSymlinks && files::isSymbolicLink(input)) {
            addSkipped(input, kLinkSkipped);
            return;
        }
        const bool folder = !standardInput && files::isFolder(input);
        const FileLocation place = listed && !options_.followSymlinks ? FileLocation::metAt(input)
                                                                      : FileLocation::given(input);
        if (!folder) {
            addFile(input, place, "");
            return;
        }
        if (!options_.recursive) {
            RunItem item;
            item.input = input;
            item.problem = FileError::cannotOpen(input,
                                                 "Is a directory; give -r to convert the "
                                                 "scripts in it")
                               .what();
            items_.push_back(std::move(item));
            return;
        }
        visited_.clear();
        if (listed) {
            roots_.push_back(files::realPath(input));
        }
        walk({input, FileLocation{input, input.size()}}, "");
    }

private:
    void addSkipped(const std::string& input, std::string_view reason) {
        RunItem item;
        item.input = input;
        item.problem = reason;
        item.skip = true;
        items_.push_back(std::move(item));
    }

    // `relative` is the folder of the script below the folder given, "" or ending with a separator.
    void addFile(const std::string& input, const FileLocation& place, const std::string& relative) {
        RunItem item;
        item.input = input;
        item.source = input == "-" ? FileLocation::given(input) : place;
        if (options_.inPlaceSuffix) {
            item.output = input;
            item.target = item.source;
            item.backup = input + *options_.inPlaceSuffix;
        } else if (options_.outputDir) {
            const std::string name =
                relative + applyNameTemplate(options_.nameTemplate, paths::fileNameOf(input));
            item.output = paths::joinPath(*options_.outputDir, name);
            item.target = FileLocation::below(*options_.outputDir, name);
            if (!relative.empty()) {
                item.newFolder = paths::joinPath(*options_.outputDir, relative);
                item.newFolderLocation = FileLocation::below(*options_.outputDir, relative);
            }
        } else {
            item.output = options_.output;
            item.target = FileLocation::given(options_.output);
        }
        items_.push_back(std::move(item));
    }

    // Where a link met in a walk leads, when it may be followed: inside a folder given.
    std::optional<std::string> followedTarget(const std::string& shown, bool script) {
        if (!options_.followSymlinks) {
            if (script) {
                addSkipped(shown, kLinkSkipped);
            }
            return std::nullopt;
        }
        const std::string target = files::realPath(shown);
        if (target.empty()) {
            if (script) {
                addSkipped(shown, "it is a symbolic link to nothing");
            }
            return std::nullopt;
        }
        if (std::none_of(roots_.begin(), roots_.end(),
                         [&](const std::string& root) { return isInside(target, root); })) {
            addSkipped(shown, "it is a symbolic link to " + quotedName(target) +
                                  ", which lies outside the folders given");
            return std::nullopt;
        }
        return target;
    }

    // The followed place of `target` (a real path inside a root): the root is followed, the rest
    // is not, so that nothing on the way can be swapped for a link.
    FileLocation placeOf(const std::string& target) const {
        for (const std::string& root : roots_) {
            if (isInside(target, root)) {
                return {target, root == "/" ? 0 : root.size()};
            }
        }
        return FileLocation::given(target);
    }

    // A folder being walked: its entries in name order and the next one to take.
    struct Entry {
        std::string name;
        bool isFolder;
        bool isLink;
    };
    struct OpenFolder {
        Walked folder;
        std::string relative;
        std::vector<Entry> entries;
        std::size_t next = 0;
    };

    // Files come in name order, each folder's files and folders before the next name of the
    // folder that holds it (a depth-first walk, kept on a list rather than the call stack).
    void walk(const Walked& top, const std::string& relative) {
        std::vector<OpenFolder> open;
        enter(open, top, relative);
        while (!open.empty()) {
            OpenFolder& current = open.back();
            if (current.next == current.entries.size()) {
                open.pop_back();
                continue;
            }
            const Entry entry = current.entries[current.next++];
            const std::string shown = paths::joinPath(current.folder.shown, entry.name);
            FileLocation place{paths::joinPath(current.folder.place.path, entry.name),
                               current.folder.place.followedLength};
            if (entry.isLink) {
                const auto target = followedTarget(shown, !entry.isFolder);
                if (!target) {
                    continue;
                }
                place = placeOf(*target);
            }
            if (entry.isFolder) {
                enter(open, {shown, place}, current.relative + entry.name + paths::kSeparator);
            } else {
                addFile(shown, place, current.relative);
            }
        }
    }

    // Lists `folder`'s scripts and folders onto `open`, or reports why it cannot be read.
    void enter(std::vector<OpenFolder>& open, const Walked& folder, const std::string& relative) {
        if (const auto identity = fileIdentity(folder.place.path);
            identity && !visited_.insert(*identity).second) {
            return;  // a link back to a folder already walked
        }
        std::vector<Entry> entries;
        std::error_code error;
        for (fs::directory_iterator it(folder.place.path, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code ignored;
            const bool link = it->is_symlink(ignored);
            const bool isFolder = it->is_directory(ignored);
            if (isFolder && name.front() == '.' && !options_.hidden) {
                continue;
            }
            if (isFolder || isScriptName(name)) {
                entries.push_back({name, isFolder, link});
            }
        }
        if (error) {
            RunItem item;
            item.input = folder.shown;
            item.problem = FileError::cannotOpen(folder.shown, error.message()).what();
            items_.push_back(std::move(item));
            return;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        open.push_back({folder, relative, std::move(entries)});
    }

    const CliOptions& options_;
    std::vector<RunItem>& items_;
    std::vector<std::string> roots_;  // the real paths of the folders given
    std::set<FileIdentity> visited_;
};

}  // namespace

FileLocation RunItem::backupLocation() const {
    FileLocation place = FileLocation::metAt(backup);
    place.followedLength = std::min(place.followedLength, source.followedLength);
    return place;
}

std::vector<RunItem> listRunItems(const CliOptions& options,
                                  const std::vector<std::string>& listed) {
    std::vector<RunItem> items;
    Lister lister(options, items);
    for (const std::string& input : options.inputs) {
        lister.add(input, false);
    }
    for (const std::string& input : listed) {
        lister.add(input, true);
    }
    return items;
}

std::vector<std::string> splitFileList(const std::string& text, bool nulSeparated) {
    const char separator = nulSeparated ? '\0' : '\n';
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            paths.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return paths;
}

std::vector<std::string> readFileList(const CliOptions& options) {
    if (!options.filesFrom) {
        return {};
    }
    const std::string& name = *options.filesFrom;
    const bool standardInput = name == "-";
    const std::string shown = standardInput ? "from standard input" : quotedName(name);
    int error = 0;
    const std::string text = readBounded(name, standardInput, kMaxFileListSize, error);
    if (error == EFBIG) {
        throw UsageError("the list " + shown + " given with --files-from goes on past " +
                         std::to_string(kMaxFileListSize >> 20) +
                         " MiB; give at most that much (split a longer list into several runs)");
    }
    if (error != 0) {
        throw UsageError("the list " + shown +
                         " given with --files-from cannot be read: " + systemErrorText(error));
    }
    std::vector<std::string> paths = splitFileList(text, options.nulSeparated);
    for (const std::string& path : paths) {
        if (path.size() >= paths::kMaxPathBytes) {
            throw UsageError("the list " + shown + " given with --files-from holds a name of " +
                             std::to_string(path.size()) + " bytes, longer than a path can be");
        }
    }
    return paths;
}

}  // namespace quillshift::cli
