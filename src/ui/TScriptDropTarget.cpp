#include "ui/TScriptDropTarget.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "ui/TDialogs.h"

TScriptDropTarget::TScriptDropTarget(QWidget& window, TDialogs& dialogs, OpenFile open)
    : QObject(&window), window_(window), dialogs_(dialogs), open_(std::move(open)) {
    window.setAcceptDrops(true);
    qApp->installEventFilter(this);
}

QStringList TScriptDropTarget::droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

QString TScriptDropTarget::oneAtATimeNotice(const QString& opened, qsizetype others) {
    const QString name = QFileInfo(opened).fileName();
    if (others == 1) {
        return tr("One script is opened at a time: \"%1\" was opened, the other dropped file was "
                  "not.")
            .arg(name);
    }
    return tr("One script is opened at a time: \"%1\" was opened, the other %2 dropped files "
              "were not.")
        .arg(name)
        .arg(others);
}

bool TScriptDropTarget::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &window_) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList files = droppedFiles(drop->mimeData());
    if (files.isEmpty()) {
        return false;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        const QString& path = files.first();
        const qsizetype others = drop->mimeData()->urls().size() - 1;
        // Opened once the drop is over, so that a dialog does not hold up the file manager.
        QMetaObject::invokeMethod(
            this,
            [this, path, others] {
                if (open_(path) && others > 0) {
                    dialogs_.showNotice(oneAtATimeNotice(path, others));
                }
            },
            Qt::QueuedConnection);
    }
    return true;
}
