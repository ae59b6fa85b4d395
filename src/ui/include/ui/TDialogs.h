#pragma once

#include <QString>

/// The platform dialogs the window uses: open and save file dialogs, the Yes/No question and the
/// error report. The program uses TQtDialogs; tests use a scripted fake so that they never wait
/// on a modal window.
class TDialogs {
public:
    /// How the user answered a Yes/No question: with a button, or by closing the box otherwise.
    enum class Answer { Yes, No, Closed };

    virtual ~TDialogs() = default;

    /// Asks for a file to open, starting in `folder`. `filter` uses Qt's syntax
    /// ("Scripts (*.ifs);;All files (*)"); `defaultSuffix` (without dot) is added to a typed name
    /// that has none. A name of a file that does not exist is accepted. Empty when cancelled.
    virtual QString getOpenFileName(const QString& title, const QString& folder,
                                    const QString& filter, const QString& defaultSuffix) = 0;

    /// Asks for a file name to save to, offering `suggestedName`. Does not ask about replacing an
    /// existing file. Empty when cancelled.
    virtual QString getSaveFileName(const QString& title, const QString& suggestedName,
                                    const QString& filter, const QString& defaultSuffix) = 0;

    /// Asks a Yes/No question in a warning box with `defaultAnswer` (Yes or No) as the default
    /// button; Escape answers No.
    virtual Answer askYesNo(const QString& caption, const QString& text,
                            Answer defaultAnswer = Answer::Yes) = 0;

    /// Tells the dialogs that the user took a file from `folder` without a file dialog (from the
    /// file manager or by dropping it on the window): a save dialog then starts there, as it does
    /// after a file was chosen in a dialog.
    virtual void fileTakenFrom(const QString& folder) = 0;

    /// Reports a failed command: `message` says what failed, `details` when and in which command.
    virtual void showError(const QString& message, const QString& details) = 0;

    /// Tells the user `message`, which needs no answer, in an information box.
    virtual void showNotice(const QString& message) = 0;

    /// The filter of the script dialogs, in Qt's syntax.
    static QString scriptFileFilter() {
        return QStringLiteral("RVLT Script files (*.ifs);;All files (*)");
    }

    /// The open dialog for a legacy script, starting in `folder`; empty when cancelled.
    QString chooseScriptToOpen(const QString& folder) {
        return getOpenFileName(QStringLiteral("Open Reelvault Script File"), folder,
                               scriptFileFilter(), QStringLiteral("ifs"));
    }

    /// The save dialog for a converted script, offering `suggestedName`; empty when cancelled.
    QString chooseScriptToSave(const QString& suggestedName) {
        return getSaveFileName(QStringLiteral("Save Reelvault Script File As..."), suggestedName,
                               scriptFileFilter(), QStringLiteral("ifs"));
    }
};
