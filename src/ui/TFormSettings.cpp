#include "ui/TFormSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

#include "base/Paths.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include "ui/TWindowFrame.h"

using quillshift::ScreenSize;
using quillshift::SettingsLocation;
using quillshift::WindowSettings;

namespace {

// Window systems keep coordinates and sizes in 16 bits.
constexpr int kLargestCoordinate = 32767;
// How long after the normal window is first shown it may still be corrected, for window systems
// that tell the frame late or in steps; later changes of bounds are the user's.
constexpr qint64 kCorrectionPeriodMs = 1000;
constexpr int kRecheckMs = 100;
// Used until the window manager has told the real height of the title bar.
constexpr int kTitleBarEstimate = 30;
// How much of a title bar must stay on screen to be taken hold of.
constexpr int kTitleBarGrip = 100;

std::string toFileBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

QString fromFileBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

int usableSize(int value, int fallback) {
    return value > 0 && value <= kLargestCoordinate ? value : fallback;
}

bool onSomeScreen(const QRect& bounds) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->geometry().intersects(bounds);
    });
}

// The usable area of the screen that shows most of the title bar of `outer` (the primary one when
// none does).
QRect availableAreaFor(const QRect& outer, int titleBarHeight) {
    const QRect titleBar(outer.topLeft(), QSize(outer.width(), titleBarHeight));
    const QScreen* best = QGuiApplication::primaryScreen();
    qint64 bestArea = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = screen->geometry().intersected(titleBar);
        const qint64 area = static_cast<qint64>(shown.width()) * shown.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    return best != nullptr ? best->availableGeometry() : outer;
}

QRect reachable(const QRect& outer, int titleBarHeight) {
    return TFormSettings::withReachableTitleBar(outer, availableAreaFor(outer, titleBarHeight),
                                                titleBarHeight);
}

}  // namespace

TFormSettings::TFormSettings(std::string settingsPath, std::string executableFolder,
                             std::string readPath)
    : path_(std::move(settingsPath)),
      executableFolder_(std::move(executableFolder)),
      readPath_(readPath.empty() ? path_ : std::move(readPath)) {}

TFormSettings TFormSettings::forApplication() {
    return forLocation(
        SettingsLocation::forSystem(toFileBytes(QCoreApplication::applicationFilePath())));
}

TFormSettings TFormSettings::forLocation(const SettingsLocation& location) {
    return TFormSettings(location.settingsFilePath(),
                         quillshift::paths::folderWithSeparator(location.executablePath),
                         location.settingsFileToRead());
}

QString TFormSettings::load(QWidget& window) {
    ScreenSize screen;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screen = {primary->size().width(), primary->size().height()};
    }
    const WindowSettings settings =
        WindowSettings::load(readPath_, screen, executableFolder_, &usableSize);
    QRect outer(settings.left, settings.top, settings.width, settings.height);
    if (!onSomeScreen(outer)) {
        // Shown where the file says, the window could not be seen at all (a screen that is gone
        // or a damaged file): it starts centred instead.
        outer.moveTo((screen.width - outer.width()) / 2, (screen.height - outer.height()) / 2);
    }
    outer = reachable(outer, kTitleBarEstimate);
    requested_ = outer;
    correctedFor_.reset();
    asked_.reset();
    watching_ = false;
    window.resize(outer.size());
    window.move(outer.topLeft());
    window.setWindowState(settings.maximized ? Qt::WindowMaximized : Qt::WindowNoState);
    return fromFileBytes(settings.inputPath);
}

void TFormSettings::correctForFrame(QWidget& window, QEvent::Type event) {
    if (event != QEvent::Show && event != QEvent::Move && event != QEvent::Resize &&
        event != QEvent::WindowStateChange) {
        return;
    }
    QWindow* handle = window.windowHandle();
    if (!requested_ || handle == nullptr) {
        return;
    }
    if (watching_ && sinceWatching_.elapsed() > kCorrectionPeriodMs) {
        requested_.reset();  // what changes now is the user's doing
        return;
    }
    if (event == QEvent::Show) {
        frameToldAtOnce_ = !TWindowFrame::margins(*handle).isNull();
    }
    constexpr Qt::WindowStates kNotNormal =
        Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;
    if ((window.windowState() & kNotNormal) != Qt::WindowNoState ||
        (event == QEvent::WindowStateChange && !frameToldAtOnce_)) {
        return;
    }
    if (!watching_) {
        // The frame may come without any event of the window (when it does not move), so it is
        // also looked for from time to time.
        watching_ = true;
        sinceWatching_.start();
        recheckLater(window);
    }
    const QMargins frame = TWindowFrame::margins(*handle);
    if (frame.isNull() || correctedFor_ == frame || (asked_ && window.geometry() != *asked_)) {
        return;  // not framed yet, corrected for this frame already, or the last one not done yet
    }
    correctedFor_ = frame;
    const QRect outer = reachable(*requested_, frame.top());
    if (window.geometry().marginsAdded(frame) == outer) {
        return;
    }
    const QRect inside(
        outer.topLeft() + QPoint(frame.left(), frame.top()),
        (outer.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom()))
            .expandedTo(window.minimumSize())
            .boundedTo(window.maximumSize()));
    asked_ = inside;
    window.resize(inside.size());
    // Moved by the distance between the inside positions, which Qt knows for certain: its own
    // idea of the frame can lag behind the window manager's after a change of state.
    window.move(window.pos() + (inside.topLeft() - window.geometry().topLeft()));
}

void TFormSettings::recheckLater(QWidget& window) {
    // A window manager may change the frame once more without moving or resizing the window.
    QTimer::singleShot(kRecheckMs, &window, [this, &window] {
        correctForFrame(window, QEvent::None);
        if (requested_) {
            recheckLater(window);
        }
    });
}

QRect TFormSettings::withReachableTitleBar(const QRect& outer, const QRect& available,
                                           int titleBarHeight) {
    QRect result = outer;
    const int grip = std::min(outer.width(), kTitleBarGrip);
    const int rightmost = available.right() + 1 - grip;
    const int leftmost = outer.width() > available.width()
                             ? available.left()
                             : available.left() + grip - outer.width();
    result.moveLeft(std::max(leftmost, std::min(outer.left(), rightmost)));
    const int lowest = available.bottom() + 1 - titleBarHeight;
    result.moveTop(std::max(available.top(), std::min(outer.top(), lowest)));
    return result;
}

void TFormSettings::save(const QWidget& window, const QString& inputPath) const {
    WindowSettings settings;
    settings.maximized = window.isMaximized();
    const QRect outer = TWindowFrame::outerBounds(window);
    settings.height = outer.height();
    settings.width = outer.width();
    settings.top = outer.top();
    settings.left = outer.left();
    settings.inputPath = toFileBytes(inputPath);
    settings.save(path_);
}
