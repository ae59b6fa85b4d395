#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

/// Opens a script file dropped from the file manager onto a window: onto any part of it, the
/// script panes and the properties fields included, which would otherwise take the file's name as
/// text.
class TScriptDropTarget : public QObject {
    Q_OBJECT

public:
    using OpenFile = std::function<void(const QString& path)>;

    /// Watches every widget of `window` and calls `open` for a dropped file, after the drop has
    /// finished.
    TScriptDropTarget(QWidget& window, OpenFile open);

    /// The local file that `data` carries, or an empty string when it carries something else or
    /// more than one file.
    static QString droppedFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    OpenFile open_;
};
