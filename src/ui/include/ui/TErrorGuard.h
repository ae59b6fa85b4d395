#pragma once

#include <QDateTime>
#include <QString>

#include <exception>
#include <functional>

class TDialogs;

/// Runs the window's command handlers so that a failure never leaves the handler: the error is
/// shown in the error dialog (its message, plus details naming the command and the time) and
/// control returns to the event loop with all state as the failing command left it.
class TErrorGuard {
public:
    using Clock = std::function<QDateTime()>;

    explicit TErrorGuard(TDialogs& dialogs, Clock clock = &QDateTime::currentDateTime);

    /// Runs `command`; returns true when it finished and false when it failed and was reported.
    bool run(const QString& commandName, const std::function<void()>& command) noexcept;

    /// Reports the exception currently being handled as a failure of `commandName`. Call only
    /// from inside a catch block.
    void reportCurrentException(const QString& commandName) noexcept;

    /// The text shown to the user for `error`.
    static QString messageFor(const std::exception_ptr& error);

    /// The "Details" text: the command and the time it failed, and why where the error says more
    /// than its message (a settings file that could not be written).
    static QString detailsFor(const QString& commandName, const QDateTime& time,
                              const std::exception_ptr& error = nullptr);

private:
    TDialogs* dialogs_;
    Clock clock_;
};
