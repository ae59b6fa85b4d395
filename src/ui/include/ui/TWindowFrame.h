#pragma once

#include <QMargins>
#include <QRect>

class QWidget;
class QWindow;

/// The frame (border and title bar) that the window manager draws around a top-level window.
class TWindowFrame {
public:
    /// The frame's widths in the window's own pixels; null while the frame is not known. On X11
    /// this is what the window manager told last (_NET_FRAME_EXTENTS): Qt keeps the first frame it
    /// learns after a change of state even when the window manager changes it a moment later.
    static QMargins margins(QWindow& window);

    /// The outer bounds of `window`, frame included (its inside bounds while the frame is not
    /// known).
    static QRect outerBounds(const QWidget& window);
};
