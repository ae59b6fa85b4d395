#include "ui/TErrorGuard.h"

#include <QObject>
#include <QtGlobal>

#include <new>
#include <stdexcept>

#include "settings/SettingsWriteError.h"
#include "ui/TDialogs.h"

TErrorGuard::TErrorGuard(TDialogs& dialogs, Clock clock)
    : dialogs_(&dialogs), clock_(std::move(clock)) {}

bool TErrorGuard::run(const QString& commandName, const std::function<void()>& command) noexcept {
    try {
        command();
        return true;
    } catch (...) {
        reportCurrentException(commandName);
        return false;
    }
}

void TErrorGuard::reportCurrentException(const QString& commandName) noexcept {
    try {
        const QString message = messageFor(std::current_exception());
        dialogs_->showError(message, detailsFor(commandName, clock_(), std::current_exception()));
    } catch (...) {
        // Reporting itself failed (out of memory, a broken dialog); nothing is left to tell the
        // user with, and the window must stay open.
        qCritical("Quillshift: a command failed and the error could not be shown");
    }
}

QString TErrorGuard::messageFor(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QObject::tr("There is not enough memory to finish this command.");
    } catch (const std::exception& e) {
        QString text = QString::fromUtf8(e.what()).trimmed();
        if (!text.isEmpty()) {
            return text;
        }
    } catch (...) {
    }
    return QObject::tr("The command stopped because of an unexpected error.");
}

QString TErrorGuard::detailsFor(const QString& commandName, const QDateTime& time,
                                const std::exception_ptr& error) {
    QString details =
        QObject::tr("Command: %1\nTime: %2")
            .arg(commandName.trimmed(), time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const quillshift::SettingsWriteError& e) {
            details += QObject::tr("\nWhy: %1").arg(QString::fromUtf8(e.reason()));
        } catch (...) {
        }
    }
    return details;
}
