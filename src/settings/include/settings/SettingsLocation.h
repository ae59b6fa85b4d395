#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillshift {

/// Where the settings file lives.
///
/// The file belongs beside the executable: its full path with the extension replaced by ".INI".
/// When the executable's folder cannot be written to, or the program is installed (its launcher
/// stands in ../share/applications beside the executable's folder), the file lives in the user's
/// configuration folder instead, `$XDG_CONFIG_HOME/quillshift/quillshift.INI`, or
/// `$HOME/.config/quillshift/quillshift.INI` when XDG_CONFIG_HOME is unset, empty or not an
/// absolute path. On Windows that folder is `%APPDATA%\quillshift\quillshift.INI`. Everything the
/// choice depends on comes in through the members, so it can be tried without a real installation.
class SettingsLocation {
public:
    /// Looks up an environment variable; nothing when it is unset.
    using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
    /// True when files can be created and replaced in the folder.
    using WritableFolderProbe = std::function<bool(const std::string& folder)>;
    /// True when a file exists at the path.
    using FileProbe = std::function<bool(const std::string& path)>;

    /// The installed launcher, relative to the executable's folder.
    static constexpr std::string_view kInstalledLauncher =
        "../share/applications/org.reelvault.Quillshift.desktop";

    /// The executable's full path, e.g. "/opt/quillshift/quillshift".
    std::string executablePath;
    EnvironmentLookup environment;
    WritableFolderProbe isWritableFolder;
    FileProbe fileExists;

    /// A location for `executablePath` that reads the process environment and asks the file
    /// system whether the folder is writable and the launcher installed.
    static SettingsLocation forSystem(std::string executablePath);

    /// The full path of the settings file (see the class description). When the executable's
    /// folder is not writable and neither XDG_CONFIG_HOME nor HOME (on Windows APPDATA) gives a
    /// folder, the path beside the executable is returned anyway, and saving there reports the
    /// failure. An empty
    /// executablePath counts as an unwritable folder (its fallback is "quillshift.INI" in the
    /// current folder). Never throws for the inputs' sake; a missing environment or probe counts
    /// as an empty environment or an unwritable folder.
    std::string settingsFilePath() const;

    /// The settings file to read at start: settingsFilePath() when that file exists, else the
    /// file beside the executable when it exists (a program installed with its settings beside
    /// it, before the user's own file has been written), else settingsFilePath().
    std::string settingsFileToRead() const;

    /// `executablePath` with its extension replaced by ".INI": the extension is the part of the
    /// last path component from its last '.' on, unless that '.' is the component's first
    /// character. Folder names are never changed. "quillshift" gives "quillshift.INI",
    /// "/a.b/quillshift" gives "/a.b/quillshift.INI", "/x/Quillshift.exe" gives
    /// "/x/Quillshift.INI".
    static std::string besideExecutable(std::string_view executablePath);

    /// Creates the folder that will hold the file at `filePath`, with any missing parents (new
    /// folders get mode 0700, as a user's configuration should). Returns "" on success or when
    /// the folder already exists, else a sentence saying which folder could not be created and why.
    static std::string createFolderFor(const std::string& filePath);

    /// True when the process may create and rename files in `folder` (access(2) with W_OK|X_OK; on
    /// Windows, where the access control list decides, a probe file is created there).
    static bool folderIsWritable(const std::string& folder);
};

}  // namespace quillshift
