#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>
#include <string>

#include "settings/WindowSettings.h"

namespace quillshift {
class SettingsLocation;
}

class QWidget;

/// Keeps the main window's size, position and maximised state and the last input folder in the
/// settings file from one run to the next.
class TFormSettings {
public:
    /// Settings kept in `settingsPath` and read from `readPath` (the same file when empty); a
    /// missing Input value means `executableFolder`.
    TFormSettings(std::string settingsPath, std::string executableFolder,
                  std::string readPath = {});

    /// The settings file of the running program (beside the executable, or in the user's
    /// configuration folder when the executable's folder cannot be written); see forLocation.
    static TFormSettings forApplication();

    /// Settings written to `location`'s settings file and read from the file it says to read:
    /// the user's one once it exists, until then the one beside the executable.
    static TFormSettings forLocation(const quillshift::SettingsLocation& location);

    /// The file that save() writes.
    const std::string& path() const { return path_; }
    /// The file that load() reads.
    const std::string& readPath() const { return readPath_; }

    /// Reads the file and applies it to `window` before it is first shown: height, width, top and
    /// left as the outer bounds, then the maximised state. Returns the remembered input folder.
    /// So that a damaged file or a screen that is gone cannot make the window unusable, a size
    /// that is not positive or larger than a window can be is taken as missing, a window that
    /// would lie wholly outside every screen starts centred on the primary screen instead, and a
    /// window whose title bar could not be reached is moved only as far as needed to bring it
    /// back (see withReachableTitleBar). Never throws for the file's sake.
    QString load(QWidget& window);

    /// Writes the window's outer bounds (unless maximised), its maximised state and `inputPath`.
    /// Throws SettingsWriteError ("Unable to write to PATH") when the file cannot be written.
    void save(const QWidget& window, const QString& inputPath) const;

    /// Before the window is shown only its position can include the frame; its size is the inside
    /// size, and most window managers tell the frame only once they have framed the window. Called
    /// with each `event` of the window (it heeds Show, Move, Resize and WindowStateChange), this
    /// gives the normal window the outer bounds that load() asked for as soon as the frame is known
    /// and the window is in the normal state (so a window started maximised gets them when
    /// restored). For a second after the normal window is first seen it also looks for the frame by
    /// itself and corrects again whenever the frame told changes (a window manager may tell the old
    /// state's frame first); then it leaves the bounds to the user. A change of state counts only
    /// where the frame was known when the window was shown: elsewhere (X11) the frame told then may
    /// still be the old state's.
    void correctForFrame(QWidget& window, QEvent::Type event);

    /// `outer` moved as little as possible so that the title bar, `titleBarHeight` high along its
    /// top edge, can be reached within `available`: its top edge inside, at least a grip of it
    /// (100 pixels, or the whole width of a narrower window) across, and its left end inside when
    /// the window is wider than `available`. The size is never changed. When both edges cannot be
    /// kept, the top and left ones win.
    static QRect withReachableTitleBar(const QRect& outer, const QRect& available,
                                       int titleBarHeight);

private:
    void recheckLater(QWidget& window);

    std::string path_;
    std::string executableFolder_;
    std::string readPath_;
    // The outer bounds that load() asked for, until the window has them.
    std::optional<QRect> requested_;
    // The frame that the last correction allowed for, the inside bounds it asked for, and since
    // when the normal window has been watched.
    std::optional<QMargins> correctedFor_;
    std::optional<QRect> asked_;
    bool watching_ = false;
    QElapsedTimer sinceWatching_;
    bool frameToldAtOnce_ = false;
};
