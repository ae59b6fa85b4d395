#include "settings/SettingsLocation.h"

#include <cerrno>
#include <filesystem>
#include <utility>

#include "base/FileError.h"
#include "base/Paths.h"
#include "base/ProcessEnvironment.h"

#ifdef _WIN32
#include "base/Win32.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillshift {

namespace {

constexpr std::string_view kApplicationName = "quillshift";

// `folder` with trailing separators removed (a lone root such as "/" is kept), or nothing when it
// is not usable as the base of the configuration folder: unset, empty or not absolute.
std::optional<std::string> absoluteFolder(const std::optional<std::string>& folder) {
    if (!folder || !paths::isAbsolute(*folder)) {
        return std::nullopt;
    }
    return paths::withoutTrailingSeparators(*folder);
}

// The user's folder for the settings of programs: on Windows the roaming application data,
// elsewhere $XDG_CONFIG_HOME or ~/.config.
std::optional<std::string> configurationHome(
    const SettingsLocation::EnvironmentLookup& environment) {
#ifdef _WIN32
    return absoluteFolder(environment("APPDATA"));
#else
    if (auto configHome = absoluteFolder(environment("XDG_CONFIG_HOME"))) {
        return configHome;
    }
    if (const std::optional<std::string> home = absoluteFolder(environment("HOME"))) {
        return paths::joinPath(*home, ".config");
    }
    return std::nullopt;
#endif
}

// Creates the folder `path` (its parent exists), for the user only where the system has modes.
// Returns 0 or the reason it failed, an errno value (EEXIST when something is there).
int makeFolder(const std::string& path) {
#ifdef _WIN32
    if (::CreateDirectoryW(win32::widePath(path).c_str(), nullptr)) {
        return 0;
    }
    const int error = win32::errnoOf(::GetLastError());
    return error != 0 ? error : EACCES;
#else
    return ::mkdir(path.c_str(), 0700) == 0 ? 0 : errno;
#endif
}

}  // namespace

SettingsLocation SettingsLocation::forSystem(std::string executablePath) {
    SettingsLocation location;
    location.executablePath = std::move(executablePath);
    location.environment = &process::environmentVariable;
    location.isWritableFolder = &SettingsLocation::folderIsWritable;
    location.fileExists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(path, error);
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
    const std::optional<std::string> configHome =
        environment ? configurationHome(environment) : std::nullopt;
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
    const std::string folder =
        paths::withoutTrailingSeparators(paths::folderWithSeparator(filePath));
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return "";
    }
    // Create each missing folder from the top down, below the root ("/", "C:\").
    std::size_t next = paths::rootLength(folder);
    while (true) {
        const std::size_t separator = folder.find_first_of(paths::kSeparators, next);
        const std::string part = folder.substr(0, separator);
        if (const int made = part.size() > paths::rootLength(part) ? makeFolder(part) : 0;
            made != 0 && made != EEXIST) {
            return "The folder \"" + part + "\" could not be created. " + systemErrorText(made);
        }
        if (separator == std::string::npos) {
            break;
        }
        next = separator + 1;
    }
    const auto status = std::filesystem::status(folder, error);
    if (error) {
        return "The folder \"" + folder + "\" could not be created. " + error.message();
    }
    if (!std::filesystem::is_directory(status)) {
        return "\"" + folder + "\" is not a folder.";
    }
    return "";
}

bool SettingsLocation::folderIsWritable(const std::string& folder) {
#ifdef _WIN32
    return win32::folderTakesNewFiles(folder);
#else
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace quillshift
