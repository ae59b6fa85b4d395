#pragma once

#include <QString>
#include <QStringList>

#include <deque>

#include "ui/TDialogs.h"

/// Scripted stand-in for the platform dialogs: answers come from queues filled by the test, and
/// every call is recorded.
class TFakeDialogs : public TDialogs {
public:
    struct Error {
        QString message;
        QString details;
    };
    /// One file dialog as it was asked for; `place` is the starting folder of an open dialog and
    /// the suggested name of a save dialog.
    struct FileDialog {
        QString title;
        QString place;
        QString filter;
        QString defaultSuffix;
    };

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<Answer> yesNoAnswers;
    QStringList calls;
    QList<Error> errors;
    QList<FileDialog> fileDialogs;

    QString getOpenFileName(const QString& title, const QString& folder, const QString& filter,
                            const QString& defaultSuffix) override {
        calls << QStringLiteral("open:%1:%2").arg(title, folder);
        fileDialogs.append({title, folder, filter, defaultSuffix});
        return take(openAnswers, QString());
    }
    QString getSaveFileName(const QString& title, const QString& suggestedName,
                            const QString& filter, const QString& defaultSuffix) override {
        calls << QStringLiteral("save:%1:%2").arg(title, suggestedName);
        fileDialogs.append({title, suggestedName, filter, defaultSuffix});
        return take(saveAnswers, QString());
    }
    Answer askYesNo(const QString& caption, const QString& text, Answer defaultAnswer) override {
        calls << QStringLiteral("ask:%1:%2%3")
                     .arg(caption, text,
                          defaultAnswer == Answer::No ? QStringLiteral(":No") : QString());
        return take(yesNoAnswers, Answer::Closed);
    }
    void fileTakenFrom(const QString& folder) override {
        calls << QStringLiteral("taken:%1").arg(folder);
    }
    void showError(const QString& message, const QString& details) override {
        calls << QStringLiteral("error");
        errors.append({message, details});
    }
    void showNotice(const QString& message) override {
        calls << QStringLiteral("notice:%1").arg(message);
    }

private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
