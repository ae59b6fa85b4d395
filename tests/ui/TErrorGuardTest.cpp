#include <QEvent>
#include <QTest>

#include <new>
#include <stdexcept>

#include "TFakeDialogs.h"
#include "base/FileError.h"
#include "settings/SettingsWriteError.h"
#include "ui/TApplication.h"
#include "ui/TErrorGuard.h"

namespace {

const QDateTime kFailureTime(QDate(2024, 3, 5), QTime(14, 7, 9));

/// Throws from its event handler for every user event.
class ThrowingObject : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw quillshift::FileError::cannotOpen("/tmp/gone.ifs", "No such file");
        }
        if (event->type() == QEvent::User + 1) {
            ++handled;
            return true;
        }
        return QObject::event(event);
    }
};

}  // namespace

class TErrorGuardTest : public QObject {
    Q_OBJECT

private slots:
    void messageForEachKindOfError_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file error")
            << 0 << QStringLiteral("Cannot open file \"/home/ann/old.ifs\". Permission denied");
        QTest::newRow("runtime error") << 1 << QStringLiteral("Unable to write to /opt/Q.INI");
        QTest::newRow("out of memory")
            << 2 << QStringLiteral("There is not enough memory to finish this command.");
        QTest::newRow("not an exception")
            << 3 << QStringLiteral("The command stopped because of an unexpected error.");
        QTest::newRow("empty message")
            << 4 << QStringLiteral("The command stopped because of an unexpected error.");
        QTest::newRow("non-ASCII path")
            << 5 << QStringLiteral("Cannot open file \"/tmp/réa.ifs\". No such file");
    }

    void messageForEachKindOfError() {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        std::exception_ptr error;
        try {
            switch (kind) {
                case 0:
                    throw quillshift::FileError::cannotOpen("/home/ann/old.ifs",
                                                            "Permission denied");
                case 1:
                    throw std::runtime_error("Unable to write to /opt/Q.INI");
                case 2:
                    throw std::bad_alloc();
                case 3:
                    throw 42;
                case 4:
                    throw std::runtime_error("");
                default:
                    throw quillshift::FileError::cannotOpen(
                        "/tmp/r\xc3\xa9"
                        "a.ifs",
                        "No such file");
            }
        } catch (...) {
            error = std::current_exception();
        }
        QCOMPARE(TErrorGuard::messageFor(error), expected);
    }

    void failingCommandIsReportedWithCommandAndTime() {
        TFakeDialogs dialogs;
        TErrorGuard guard(dialogs, [] { return kFailureTime; });
        int stepsDone = 0;
        const bool finished = guard.run(QStringLiteral("1 - Open Script...    "), [&stepsDone] {
            ++stepsDone;
            throw quillshift::FileError::cannotOpen("/x/y.ifs", "No such file or directory");
        });
        QVERIFY(!finished);
        QCOMPARE(stepsDone, 1);
        QCOMPARE(dialogs.errors.size(), 1);
        QCOMPARE(dialogs.errors[0].message,
                 QStringLiteral("Cannot open file \"/x/y.ifs\". No such file or directory"));
        QCOMPARE(dialogs.errors[0].details,
                 QStringLiteral("Command: 1 - Open Script...\nTime: 2024-03-05 14:07:09"));

        guard.run(QStringLiteral("Closing the window"), [] {
            throw quillshift::SettingsWriteError("/opt/q.INI", "Cannot create file. Read-only");
        });
        QCOMPARE(dialogs.errors[1].details,
                 QStringLiteral("Command: Closing the window\nTime: 2024-03-05 14:07:09\nWhy: "
                                "Cannot create file. Read-only"));
    }

    void successfulCommandReportsNothing() {
        TFakeDialogs dialogs;
        TErrorGuard guard(dialogs);
        bool ran = false;
        QVERIFY(guard.run(QStringLiteral("Convert"), [&ran] { ran = true; }));
        QVERIFY(ran);
        QVERIFY(dialogs.errors.isEmpty());
    }

    void errorEscapingAnEventHandlerIsReportedAndEventsGoOn() {
        TFakeDialogs dialogs;
        TErrorGuard guard(dialogs, [] { return kFailureTime; });
        auto* application = qobject_cast<TApplication*>(QCoreApplication::instance());
        QVERIFY(application != nullptr);
        application->setErrorGuard(&guard);

        ThrowingObject target;
        QEvent failing(QEvent::User);
        QCoreApplication::sendEvent(&target, &failing);
        QCOMPARE(dialogs.errors.size(), 1);
        QCOMPARE(dialogs.errors[0].message,
                 QStringLiteral("Cannot open file \"/tmp/gone.ifs\". No such file"));
        QVERIFY(dialogs.errors[0].details.startsWith(QStringLiteral("Command: Event handling\n")));

        QCoreApplication::postEvent(&target, new QEvent(QEvent::Type(QEvent::User + 1)));
        QCoreApplication::processEvents();
        QCOMPARE(target.handled, 1);
        application->setErrorGuard(nullptr);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TErrorGuardTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TErrorGuardTest.moc"
