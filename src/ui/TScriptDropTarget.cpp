#include "ui/TScriptDropTarget.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

TScriptDropTarget::TScriptDropTarget(QWidget& window, OpenFile open)
    : QObject(&window), window_(window), open_(std::move(open)) {
    window.setAcceptDrops(true);
    qApp->installEventFilter(this);
}

QString TScriptDropTarget::droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return {};
    }
    return urls.first().toLocalFile();
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
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty()) {
        return false;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        // Opened once the drop is over, so that an error dialog does not hold up the file manager.
        QMetaObject::invokeMethod(
            this, [this, path] { open_(path); }, Qt::QueuedConnection);
    }
    return true;
}
