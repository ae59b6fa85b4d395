#include "ui/TFormSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <algorithm>

#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"

using quillshift::ScreenSize;
using quillshift::SettingsLocation;
using quillshift::WindowSettings;

namespace {

// Window systems keep coordinates and sizes in 16 bits.
constexpr int kLargestCoordinate = 32767;
constexpr char kRequestedOuterSize[] = "quillshiftRequestedOuterSize";

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

}  // namespace

TFormSettings::TFormSettings(std::string settingsPath, std::string executableFolder)
    : path_(std::move(settingsPath)), executableFolder_(std::move(executableFolder)) {}

TFormSettings TFormSettings::forApplication() {
    const std::string executable = toFileBytes(QCoreApplication::applicationFilePath());
    return TFormSettings(SettingsLocation::forSystem(executable).settingsFilePath(),
                         SettingsLocation::folderWithSeparator(executable));
}

QString TFormSettings::load(QWidget& window) {
    ScreenSize screen;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screen = {primary->size().width(), primary->size().height()};
    }
    WindowSettings settings = WindowSettings::load(path_, screen, executableFolder_);
    WindowSettings defaults = WindowSettings::read({}, screen, executableFolder_);
    settings.height = usableSize(settings.height, defaults.height);
    settings.width = usableSize(settings.width, defaults.width);
    defaults.top = (screen.height - settings.height) / 2;
    defaults.left = (screen.width - settings.width) / 2;

    QRect outer(settings.left, settings.top, settings.width, settings.height);
    if (!onSomeScreen(outer)) {
        // Shown where the file says, the window could not be seen at all (a screen that is gone
        // or a damaged file): it starts centred instead.
        outer.moveTo(defaults.left, defaults.top);
    }
    window.setProperty(kRequestedOuterSize, outer.size());
    window.resize(outer.size());
    window.move(outer.topLeft());
    window.setWindowState(settings.maximized ? Qt::WindowMaximized : Qt::WindowNoState);
    return fromFileBytes(settings.inputPath);
}

void TFormSettings::correctForFrame(QWidget& window) {
    const QVariant requested = window.property(kRequestedOuterSize);
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (!requested.isValid() || frame.isNull() || window.isMaximized()) {
        return;  // nothing asked for, the frame not known yet, or not in the normal state yet
    }
    window.setProperty(kRequestedOuterSize, QVariant());
    window.resize(requested.toSize() - frame);
}

void TFormSettings::save(const QWidget& window, const QString& inputPath) const {
    WindowSettings settings;
    settings.maximized = window.isMaximized();
    const QRect outer = window.frameGeometry();
    settings.height = outer.height();
    settings.width = outer.width();
    settings.top = outer.top();
    settings.left = outer.left();
    settings.inputPath = toFileBytes(inputPath);
    settings.save(path_);
}
