#pragma once

#include <string>
#include <string_view>

namespace quillshift {

class IniFile;

/// The size of the primary screen in pixels.
struct ScreenSize {
    int width = 0;
    int height = 0;
};

/// What the program remembers of its main window from one run to the next: the window's outer
/// bounds (frame and title bar included), whether it was maximised, and the folder of the last
/// opened input script. Stored in the settings file as
///
///     [Form]                [Path]
///     Height=600            Input=/home/ann/scripts/
///     Width=800
///     Top=240
///     Left=560
///     Maximized=0
struct WindowSettings {
    int height = 600;
    int width = 800;
    int top = 0;
    int left = 0;
    bool maximized = false;
    /// Folder with a trailing separator; may be empty (the open dialog then picks its own).
    std::string inputPath;

    /// Reads the values in this order, with these defaults for a missing key or a value that is
    /// not a number: Path/Input (`executableFolder`), Form/Height (600), Form/Width (800),
    /// Form/Top ((screen height - height) / 2 with the height just read, rounded toward zero),
    /// Form/Left (likewise with the width), Form/Maximized (false). "Input=" with nothing after
    /// the sign gives an empty inputPath. Values are taken as they are, unchecked against the
    /// screen, except that `usableSize`, when given, replaces each height and width as soon as it
    /// is read (it gets the value and the default), so that the centring uses the size the window
    /// will have. Never throws for the file's sake.
    using SizeRule = int (*)(int value, int fallback);
    static WindowSettings read(const IniFile& file, ScreenSize screen,
                               std::string_view executableFolder, SizeRule usableSize = nullptr);

    /// read() on the file at `path` (IniFile::load; a missing or unreadable file gives the
    /// defaults).
    static WindowSettings load(const std::string& path, ScreenSize screen,
                               std::string_view executableFolder, SizeRule usableSize = nullptr);

    /// Writes the values into `file` in this order: when not maximised, Form/Height, Width, Top and
    /// Left; then Form/Maximized; then Path/Input. While maximised the four bounds are left as the
    /// file has them, so the last normal bounds survive. An inputPath holding a line break or NUL
    /// byte cannot be stored; Path/Input is then left unchanged.
    void write(IniFile& file) const;

    /// Saves into the settings file at `path`: creates its folder if missing, reads the file as it
    /// is now, write()s the values and replaces the file atomically, keeping every other line.
    /// Throws SettingsWriteError "Unable to write to PATH" (reason() says why) when the folder
    /// cannot be created, the existing file cannot be read, or the file cannot be written; the
    /// file on disk is then unchanged.
    void save(const std::string& path) const;

    bool operator==(const WindowSettings&) const = default;
};

}  // namespace quillshift
