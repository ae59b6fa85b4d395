#include "ui/TQtDialogs.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

/// Notices when a box is closed from its frame (close button, window manager) rather than with a
/// button or the Escape key.
class CloseWatcher : public QObject {
public:
    using QObject::QObject;
    bool closedFromFrame = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            closedFromFrame = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QString runFileDialog(QFileDialog& dialog, QString& lastFolder) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    QString chosen = dialog.selectedFiles().constFirst();
    lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

}  // namespace

QString TQtDialogs::getOpenFileName(const QString& title, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent_, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return runFileDialog(dialog, lastFolder_);
}

QString TQtDialogs::getSaveFileName(const QString& title, const QString& suggestedName,
                                    const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(parent_, title, lastFolder_, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggestedName);
    return runFileDialog(dialog, lastFolder_);
}

TDialogs::Answer TQtDialogs::askYesNo(const QString& caption, const QString& text,
                                      Answer defaultAnswer) {
    // No parent: the box is centred on the screen.
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    CloseWatcher watcher;
    box.installEventFilter(&watcher);
    const int result = box.exec();
    if (watcher.closedFromFrame) {
        return Answer::Closed;
    }
    if (result == QMessageBox::Yes) {
        return Answer::Yes;
    }
    return result == QMessageBox::No ? Answer::No : Answer::Closed;
}

void TQtDialogs::showError(const QString& message, const QString& details) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                    QMessageBox::Ok, parent_);
    box.setDetailedText(details);
    box.exec();
}

void TQtDialogs::showNotice(const QString& message) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), message,
                    QMessageBox::Ok, parent_);
    box.exec();
}
