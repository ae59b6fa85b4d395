#pragma once

#include <QString>

#include <string>

#include "settings/WindowSettings.h"

class QWidget;

/// Keeps the main window's size, position and maximised state and the last input folder in the
/// settings file from one run to the next.
class TFormSettings {
public:
    /// Settings kept in `settingsPath`; a missing Input value means `executableFolder`.
    TFormSettings(std::string settingsPath, std::string executableFolder);

    /// The settings file of the running program (beside the executable, or in the user's
    /// configuration folder when the executable's folder cannot be written).
    static TFormSettings forApplication();

    const std::string& path() const { return path_; }

    /// Reads the file and applies it to `window` before it is first shown: height, width, top and
    /// left as the outer bounds, then the maximised state. Returns the remembered input folder.
    /// So that a damaged file or a screen that is gone cannot make the window unusable, a size
    /// that is not positive or larger than a window can be is taken as missing, and a window that
    /// would lie wholly outside every screen starts centred on the primary screen instead.
    /// Never throws for the file's sake.
    QString load(QWidget& window);

    /// Writes the window's outer bounds (unless maximised), its maximised state and `inputPath`.
    /// Throws SettingsWriteError ("Unable to write to PATH") when the file cannot be written.
    void save(const QWidget& window, const QString& inputPath) const;

    /// load() can only size the window without its frame, which is not known before the window
    /// is shown. Called when the window is shown and when its state changes, this makes the outer
    /// size (frame and title bar included) of the normal window the one the file asked for, once.
    static void correctForFrame(QWidget& window);

private:
    std::string path_;
    std::string executableFolder_;
};
