#include "ui/TApplication.h"

#include "ui/TErrorGuard.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (guard_ != nullptr) {
            guard_->reportCurrentException(tr("Event handling"));
        } else {
            qCritical("Quillshift: an error escaped an event handler");
        }
        return false;
    }
}
