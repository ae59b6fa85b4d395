#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/TDialogs.h"

/// TDialogs with Qt's file dialogs and message boxes, shown over `parent`.
class TQtDialogs : public TDialogs {
public:
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }

    QString getOpenFileName(const QString& title, const QString& folder, const QString& filter,
                            const QString& defaultSuffix) override;
    QString getSaveFileName(const QString& title, const QString& suggestedName,
                            const QString& filter, const QString& defaultSuffix) override;
    Answer askYesNo(const QString& caption, const QString& text,
                    Answer defaultAnswer = Answer::Yes) override;
    void fileTakenFrom(const QString& folder) override { lastFolder_ = folder; }
    void showError(const QString& message, const QString& details) override;
    void showNotice(const QString& message) override;

private:
    QPointer<QWidget> parent_;
    /// The folder of the last file chosen in a file dialog or taken without one; the save dialog
    /// starts there.
    QString lastFolder_;
};
