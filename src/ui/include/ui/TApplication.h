#pragma once

#include <QApplication>

class TErrorGuard;

/// The application object. An error that escapes an event handler is reported through the
/// installed guard instead of unwinding through the event loop; the program goes on running.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    /// The guard that reports errors escaping event handlers; none until set.
    void setErrorGuard(TErrorGuard* guard) { guard_ = guard; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    TErrorGuard* guard_ = nullptr;
};
