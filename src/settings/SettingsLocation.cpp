#include "settings/SettingsLocation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "base/FileError.h"
#include "base/Paths.h"

namespace quillshift {

namespace {

constexpr std::string_view kApplicationName = "quillshift";

// `folder` with trailing '/' removed (a lone "/" is kept), or nothing when it is not usable as the
// base of the configuration folder: unset, empty or not absolute.
std::optional<std::string> absoluteFolder(const std::optional<std::string>& folder) {
    if (!folder || folder->empty() || folder->front() != '/') {
        return std::nullopt;
    }
    std::string result = *folder;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

}  // namespace

SettingsLocation SettingsLocation::forSystem(std::string executablePath) {
    SettingsLocation location;
    location.executablePath = std::move(executablePath);
    location.environment = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::string(value);
    };
    location.isWritableFolder = &SettingsLocation::folderIsWritable;
    location.fileExists = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    };
    return location;
}

std::string SettingsLocation::settingsFilePath() const {
    std::string beside =
        besideExecutable(executablePath.empty() ? kApplicationName : executablePath);
    const std::string folder = paths::folderWithSeparator(beside);
    const bool installed = fileExists && fileExists(folder + std::string(kInstalledLauncher));
    if (!executablePath.empty() && !installed && isWritableFolder && isWritableFolder(folder)) {
        return beside;
    }
    std::optional<std::string> configHome;
    if (environment) {
        configHome = absoluteFolder(environment("XDG_CONFIG_HOME"));
        if (!configHome) {
            if (const std::optional<std::string> home = absoluteFolder(environment("HOME"))) {
                configHome = paths::joinPath(*home, ".config");
            }
        }
    }
    if (!configHome) {
        return beside;
    }
    std::string fileName(kApplicationName);
    fileName += ".INI";
    return paths::joinPath(paths::joinPath(*configHome, kApplicationName), fileName);
}

std::string SettingsLocation::settingsFileToRead() const {
    std::string own = settingsFilePath();
    if (!fileExists || fileExists(own)) {
        return own;
    }
    std::string beside =
        besideExecutable(executablePath.empty() ? kApplicationName : executablePath);
    return fileExists(beside) ? beside : own;
}

std::string SettingsLocation::besideExecutable(std::string_view executablePath) {
    const std::size_t nameStart = executablePath.size() - paths::fileNameOf(executablePath).size();
    const std::size_t dot = executablePath.rfind('.');
    std::string result(executablePath);
    if (dot != std::string_view::npos && dot > nameStart) {
        result.resize(dot);
    }
    result += ".INI";
    return result;
}

std::string SettingsLocation::createFolderFor(const std::string& filePath) {
    std::string folder = paths::folderWithSeparator(filePath);
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return "";
    }
    // Create each missing folder from the top down.
    std::size_t next = folder.front() == '/' ? 1 : 0;
    while (true) {
        const std::size_t slash = folder.find('/', next);
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return "The folder \"" + part + "\" could not be created. " + systemErrorText(errno);
        }
        if (slash == std::string::npos) {
            break;
        }
        next = slash + 1;
    }
    if (::stat(folder.c_str(), &info) != 0) {
        return "The folder \"" + folder + "\" could not be created. " + systemErrorText(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return "\"" + folder + "\" is not a folder.";
    }
    return "";
}

bool SettingsLocation::folderIsWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace quillshift
