#include "cli/RunItems.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "base/FileError.h"
#include "base/Paths.h"
#include "base/TextOps.h"

namespace quillshift::cli {

namespace fs = std::filesystem;

namespace {

bool isScriptName(std::string_view name) {
    return name.size() > 4 && text::equalsIgnoringAsciiCase(name.substr(name.size() - 4), ".IFS");
}

class Lister {
public:
    Lister(const CliOptions& options, std::vector<RunItem>& items)
        : options_(options), items_(items) {}

    void add(const std::string& input) {
        struct stat info {};
        const bool folder =
            input != "-" && ::stat(input.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        if (!folder) {
            addFile(input, "");
            return;
        }
        if (!options_.recursive) {
            RunItem item{input, "", "", "", ""};
            item.problem = FileError::cannotOpen(input,
                                                 "Is a directory; give -r to convert the "
                                                 "scripts in it")
                               .what();
            items_.push_back(std::move(item));
            return;
        }
        visited_.clear();
        walk(input, "");
    }

private:
    // `relative` is the folder of the script below the folder given, "" or ending with '/'.
    void addFile(const std::string& input, const std::string& relative) {
        RunItem item{input, "", "", "", ""};
        if (options_.inPlaceSuffix) {
            item.output = input;
            item.backup = input + *options_.inPlaceSuffix;
        } else if (options_.outputDir) {
            item.output = paths::joinPath(
                *options_.outputDir,
                relative + applyNameTemplate(options_.nameTemplate, paths::fileNameOf(input)));
            if (!relative.empty()) {
                item.newFolder = paths::joinPath(*options_.outputDir, relative);
            }
        } else {
            item.output = options_.output;
        }
        items_.push_back(std::move(item));
    }

    void walk(const std::string& folder, const std::string& relative) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0 &&
            !visited_.emplace(info.st_dev, info.st_ino).second) {
            return;  // a link back to a folder already walked
        }
        std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code ignored;
            const bool link = it->is_symlink(ignored);
            const bool isFolder = it->is_directory(ignored);
            if (isFolder) {
                if ((link && !options_.followSymlinks) ||
                    (name.front() == '.' && !options_.hidden)) {
                    continue;
                }
                entries.emplace_back(name, true);
            } else if (isScriptName(name)) {
                entries.emplace_back(name, false);
            }
        }
        if (error) {
            RunItem item{folder, "", "", "", ""};
            item.problem = FileError::cannotOpen(folder, error.message()).what();
            items_.push_back(std::move(item));
            return;
        }
        std::sort(entries.begin(), entries.end());
        for (const auto& [name, isFolder] : entries) {
            const std::string path = paths::joinPath(folder, name);
            if (isFolder) {
                walk(path, relative + name + "/");
            } else {
                addFile(path, relative);
            }
        }
    }

    const CliOptions& options_;
    std::vector<RunItem>& items_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

std::vector<RunItem> listRunItems(const CliOptions& options,
                                  const std::vector<std::string>& listed) {
    std::vector<RunItem> items;
    Lister lister(options, items);
    for (const std::string& input : options.inputs) {
        lister.add(input);
    }
    for (const std::string& input : listed) {
        lister.add(input);
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

}  // namespace quillshift::cli
