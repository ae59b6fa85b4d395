#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "TTestWindow.h"
#include "ui/TInspectorItem.h"
#include "ui/TScriptEditor.h"

namespace {

const QByteArray kScript = "{\r\n{ Desktop\r\nprogram D;\r\n\tDisplayResults;\r\n";

// What the Open command leaves behind, in a form that fails readably.
QString openedState(const TTestWindow& w) {
    const TMainForm& form = *w.form;
    return QStringLiteral("lines=%1 readOnly=%2 convert=%3 save=%4 input=%5")
        .arg(TTestWindow::joined(form.view().AdvMemo1->lines()))
        .arg(form.view().AdvMemo1->isReadOnly() ? 1 : 0)
        .arg(form.commandItem(TMainForm::WizardGroup, TMainForm::ConvertItem)->isHidden() ? 0 : 1)
        .arg(form.DefaultSaveName(), form.InputPath());
}

QString expectedOpened(const TTestWindow& w, const QString& name) {
    return QStringLiteral(
               "lines={|{ Desktop|program D;|    DisplayResults; readOnly=1 convert=1 "
               "save=New %1 input=%2/")
        .arg(name, QDir(w.folderPath()).canonicalPath());
}

// Drags `urls` over `target` and drops them there, as a file manager does.
bool drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.isEmpty() ? QString() : urls.first().toLocalFile());
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    QApplication::processEvents();
    return enter.isAccepted() && dropped.isAccepted();
}

}  // namespace

class TOpenFromDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void fileGivenAtStartUpIsOpened() {
        TTestWindow w;
        const QString path = w.writeFile(QStringLiteral("start.ifs"), kScript);
        w.form->openStartupArguments({path});
        QCOMPARE(openedState(w), expectedOpened(w, QStringLiteral("start.ifs")));
        // The save dialog will start in the script's folder.
        QCOMPARE(w.dialogs->calls, QStringList{QStringLiteral("taken:") + w.folderPath()});
    }

    void relativePathIsTakenFromTheCurrentFolder() {
        TTestWindow w;
        w.writeFile(QStringLiteral("here.ifs"), kScript);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(w.folderPath());
        w.form->openStartupArguments({QStringLiteral("here.ifs")});
        QDir::setCurrent(previous);
        QCOMPARE(openedState(w), expectedOpened(w, QStringLiteral("here.ifs")));
    }

    void missingFileAtStartUpIsReportedAndTheWindowStaysAsStarted() {
        TTestWindow w;
        const QString before = openedState(w);
        const QString path = w.path(QStringLiteral("gone.ifs"));
        w.form->openStartupArguments({path});
        QCOMPARE(openedState(w), before);
        QCOMPARE(w.dialogs->calls, QStringList{QStringLiteral("error")});
        QCOMPARE(w.dialogs->errors.first().message,
                 QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(path));
    }

    void noArgumentsOpenNothing() {
        TTestWindow w;
        const QString before = openedState(w);
        w.form->openStartupArguments({});
        QCOMPARE(openedState(w), before);
        QVERIFY(w.dialogs->calls.isEmpty());
    }

    void fileDroppedAnywhereOnTheWindowIsOpened_data() {
        QTest::addColumn<QString>("where");
        QTest::newRow("input pane") << QStringLiteral("input");
        QTest::newRow("properties field") << QStringLiteral("field");
        QTest::newRow("command bar") << QStringLiteral("bar");
    }

    void fileDroppedAnywhereOnTheWindowIsOpened() {
        QFETCH(QString, where);
        TTestWindow w;
        const QString path = w.writeFile(QStringLiteral("dropped.ifs"), kScript);
        QWidget* target = w.form->view().InspectorBar1;
        if (where == QLatin1String("input")) {
            target = w.form->view().AdvMemo1->viewport();
        } else if (where == QLatin1String("field")) {
            target = w.form->findChild<QLineEdit*>();
        }
        QVERIFY(target != nullptr);
        QVERIFY(drop(target, {QUrl::fromLocalFile(path)}));
        QCOMPARE(openedState(w), expectedOpened(w, QStringLiteral("dropped.ifs")));
        QCOMPARE(w.dialogs->calls, QStringList{QStringLiteral("taken:") + w.folderPath()});
    }

    void severalDroppedFilesOpenTheFirstAndSaySo_data() {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("notice");
        const QString one = QStringLiteral(
            "notice:One script is opened at a time: \"a.ifs\" was "
            "opened, the other dropped file was not.");
        QTest::newRow("two") << QStringList{"a.ifs", "b.ifs"} << one;
        QTest::newRow("three") << QStringList{"a.ifs", "b.ifs", "c.ifs"}
                               << QStringLiteral(
                                      "notice:One script is opened at a time: \"a.ifs\" "
                                      "was opened, the other 2 dropped files were not.");
        QTest::newRow("after a web address")
            << QStringList{"https://example.org/x", "a.ifs"} << one;
        QTest::newRow("first cannot be read")
            << QStringList{"gone.ifs", "a.ifs"} << QStringLiteral("error");
    }

    void severalDroppedFilesOpenTheFirstAndSaySo() {
        QFETCH(QStringList, dropped);
        QFETCH(QString, notice);
        TTestWindow w;
        const QString before = openedState(w);
        QList<QUrl> urls;
        for (const QString& name : dropped) {
            urls << (name.startsWith("https:")
                         ? QUrl(name)
                         : QUrl::fromLocalFile(name == "gone.ifs" ? w.path(name)
                                                                  : w.writeFile(name, kScript)));
        }
        QVERIFY(drop(w.form->view().InspectorBar1, urls));
        QCOMPARE(w.dialogs->calls.last(), notice);
        QCOMPARE(openedState(w),
                 notice == "error" ? before : expectedOpened(w, QStringLiteral("a.ifs")));
    }

    void dropOfTextIsNotAFileToOpen() {
        TTestWindow w;
        const QString before = openedState(w);
        QVERIFY(!drop(w.form->view().InspectorBar1,
                      {QUrl(QStringLiteral("https://example.org/a.ifs"))}));
        QCOMPARE(openedState(w), before);
    }
};

QTEST_MAIN(TOpenFromDesktopTest)
#include "TOpenFromDesktopTest.moc"
