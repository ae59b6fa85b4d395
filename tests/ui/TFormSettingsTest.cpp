#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <memory>

#include "TFakeDialogs.h"
#include "TTestWindow.h"
#include "settings/SettingsLocation.h"
#include "ui/TMainForm.h"

namespace {

// One start of the program with the settings file at `path`.
std::unique_ptr<TTestWindow> start(const QString& path) {
    auto window = std::make_unique<TTestWindow>(
        TTestWindow::settingsAt(path, QStringLiteral("/opt/quillshift/")));
    window->form->show();
    return window;
}

QString inFolder(const quillshift::testing::TempDir& folder, const char* name) {
    return QFile::decodeName(QByteArray::fromStdString(folder.file(name)));
}

// Resizes the window as a user does, by its outer edge.
void setOuterBounds(QWidget& window, const QRect& outer) {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    window.resize(outer.size() - frame);
    window.move(outer.topLeft());
}

}  // namespace

class TFormSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartIsCentredAndStartsInTheExecutablesFolder() {
        const quillshift::testing::TempDir dir;
        auto run = start(inFolder(dir, "quillshift.INI"));
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(run->form->frameGeometry(),
                 QRect((screen.width() - 800) / 2, (screen.height() - 600) / 2, 800, 600));
        QVERIFY(!run->form->isMaximized());
        QCOMPARE(run->form->InputPath(), QStringLiteral("/opt/quillshift/"));
    }

    void maximisedCloseKeepsTheLastNormalBounds() {
        const quillshift::testing::TempDir dir;
        const QString path = inFolder(dir, "quillshift.INI");
        {
            auto run = start(path);
            setOuterBounds(*run->form, QRect(10, 20, 900, 700));
            run->form->setInputPath(QStringLiteral("/home/zoë/scripts/"));
            QVERIFY(run->form->close());
        }
        {
            auto run = start(path);
            QCOMPARE(run->form->frameGeometry(), QRect(10, 20, 900, 700));
            run->form->showMaximized();
            QVERIFY(run->form->close());
        }
        auto run = start(path);
        QVERIFY(run->form->isMaximized());
        QCOMPARE(run->form->InputPath(), QStringLiteral("/home/zoë/scripts/"));
        run->form->showNormal();
        // Restored as a window manager restores it: the new bounds come with the next events.
        QTRY_COMPARE(run->form->frameGeometry(), QRect(10, 20, 900, 700));
        QVERIFY(run->dialogs->errors.isEmpty());
    }

    void closingWritesTheFileKeepingOtherLines() {
        const quillshift::testing::TempDir dir;
        const QString path = inFolder(dir, "quillshift.INI");
        TTestWindow::writeFileAt(path, "; kept\n[Path]\nInput=\n[Mine]\nx=1\n");
        auto run = start(path);
        QCOMPARE(run->form->InputPath(), QString());
        QVERIFY(run->form->close());
        const QByteArray text = TTestWindow::readFile(path);
        QVERIFY(text.startsWith("; kept\n[Path]\nInput=\n[Mine]\nx=1\n"));
        QVERIFY(text.contains("Maximized=0\n"));
    }

    void damagedOrOffScreenBoundsStillGiveAVisibleWindow_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("centred");
        QTest::newRow("bad sizes")
            << QByteArray("Height=-5\nWidth=99999999\n") << QSize(800, 600) << true;
        QTest::newRow("far away") << QByteArray("Top=-99999999\nLeft=40000\nWidth=500\n")
                                  << QSize(500, 600) << true;
        QTest::newRow("partly visible is kept, its title bar brought down")
            << QByteArray("Top=-20\nLeft=-100\nWidth=300\nHeight=200\n") << QSize(300, 200)
            << false;
    }

    void damagedOrOffScreenBoundsStillGiveAVisibleWindow() {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(bool, centred);
        const quillshift::testing::TempDir dir;
        const QString path = inFolder(dir, "quillshift.INI");
        TTestWindow::writeFileAt(path, "[Form]\n" + file);
        auto run = start(path);
        const QRect outer = run->form->frameGeometry();
        QCOMPARE(outer.size(), size);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QPoint middle((screen.width() - size.width()) / 2,
                            (screen.height() - size.height()) / 2);
        QCOMPARE(outer.topLeft(), centred ? middle : QPoint(-100, 0));
    }

    void titleBarIsBroughtWithinReachOnlyAsFarAsNeeded_data() {
        QTest::addColumn<QRect>("outer");
        QTest::addColumn<QPoint>("placed");
        const auto row = [](const char* name, QRect outer, QPoint placed) {
            QTest::newRow(name) << outer << placed;
        };
        // On a 1280x1024 area at 0,0 with a title bar 20 high.
        row("inside is kept", QRect(10, 10, 300, 200), QPoint(10, 10));
        row("above the top", QRect(10, -10, 300, 200), QPoint(10, 0));
        row("below the bottom", QRect(10, 1010, 300, 200), QPoint(10, 1004));
        row("a grip left of the left edge", QRect(-200, 10, 300, 200), QPoint(-200, 10));
        row("less than a grip left", QRect(-250, 10, 300, 200), QPoint(-200, 10));
        row("less than a grip right", QRect(1250, 10, 300, 200), QPoint(1180, 10));
        row("narrow window whole", QRect(-60, 10, 50, 50), QPoint(0, 10));
        row("wider than the area, left end in", QRect(-80, -44, 1600, 1200), QPoint(0, 0));
        row("wider than the area, kept", QRect(30, 0, 1600, 1200), QPoint(30, 0));
    }

    void titleBarIsBroughtWithinReachOnlyAsFarAsNeeded() {
        QFETCH(QRect, outer);
        QFETCH(QPoint, placed);
        const QRect result =
            TFormSettings::withReachableTitleBar(outer, QRect(0, 0, 1280, 1024), 20);
        QCOMPARE(result, QRect(placed, outer.size()));
    }

    void installedProgramReadsTheFileBesideItUntilTheUsersOwnIsWritten() {
        const quillshift::testing::TempDir dir;
        const QString beside = inFolder(dir, "app/quillshift.INI");
        QVERIFY(QDir(QString::fromStdString(dir.path())).mkdir("app"));
        TTestWindow::writeFileAt(
            beside, "[Form]\nWidth=500\nHeight=400\nTop=30\nLeft=40\n[Path]\nInput=/srv/s/\n");
        quillshift::SettingsLocation location;
        location.executablePath = QFile::encodeName(inFolder(dir, "app/quillshift")).toStdString();
        const std::string home = QFile::encodeName(inFolder(dir, "home")).toStdString();
        location.environment = [home](const std::string& name) {
            return name == "HOME" ? std::optional<std::string>(home) : std::nullopt;
        };
        location.isWritableFolder = [](const std::string&) { return false; };
        location.fileExists = [](const std::string& path) {
            return QFile::exists(QFile::decodeName(QByteArray::fromStdString(path)));
        };
        const QString own = inFolder(dir, "home/.config/quillshift/quillshift.INI");
        const QRect moved(50, 60, 600, 450);
        for (const QRect& expected : {QRect(40, 30, 500, 400), moved}) {
            auto dialogs = std::make_unique<TFakeDialogs>();
            TMainForm form(std::move(dialogs), nullptr, TFormSettings::forLocation(location));
            form.show();
            QCOMPARE(form.frameGeometry(), expected);
            QCOMPARE(form.InputPath(), QStringLiteral("/srv/s/"));
            setOuterBounds(form, moved);
            QVERIFY(form.close());
            QVERIFY(TTestWindow::readFile(own).contains("Width=600\n"));
        }
        QVERIFY(TTestWindow::readFile(beside).contains("Width=500\n"));
    }

    void anUnwritableFileIsReportedOnceAndTheWindowStillCloses() {
        const quillshift::testing::TempDir dir;
        TTestWindow::writeFileAt(inFolder(dir, "blocker"), "a file where a folder should be");
        const QString path = inFolder(dir, "blocker/quillshift.INI");
        auto run = start(path);
        QVERIFY(run->form->close());
        QVERIFY(!run->form->isVisible());
        QCOMPARE(run->dialogs->errors.size(), 1);
        QCOMPARE(run->dialogs->errors.first().message,
                 QStringLiteral("Unable to write to %1").arg(path));
    }
};

QTEST_MAIN(TFormSettingsTest)
#include "TFormSettingsTest.moc"
