#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;
class TDialogs;

/// Opens a script file dropped from the file manager onto a window: onto any part of it, the
/// script panes and the properties fields included, which would otherwise take the file's name as
/// text. The window works on one script at a time: of several files dropped together the first
/// is opened, and the user is told that the others were not.
class TScriptDropTarget : public QObject {
    Q_OBJECT

public:
    /// Opens the file at `path`; false when it could not (the failure has been reported).
    using OpenFile = std::function<bool(const QString& path)>;

    /// Watches every widget of `window` and calls `open` for a dropped file, after the drop has
    /// finished; says through `dialogs` when other dropped files were left unopened.
    TScriptDropTarget(QWidget& window, TDialogs& dialogs, OpenFile open);

    /// The local files that `data` carries, in the order given; empty when it carries none.
    static QStringList droppedFiles(const QMimeData* data);

    /// What the user is told when `opened` was opened and `others` more dropped items were not.
    static QString oneAtATimeNotice(const QString& opened, qsizetype others);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    TDialogs& dialogs_;
    OpenFile open_;
};
