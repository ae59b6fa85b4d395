#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QStyleFactory>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTest>
#include <QToolBox>

#include <memory>
#include <stdexcept>

#include "TFakeDialogs.h"
#include "TTestWindow.h"
#include "base/FileError.h"
#include "conversion/ReelvaultSites.h"
#include "generated/Version.h"
#include "support/Contrast.h"
#include "ui/TAboutPage.h"
#include "ui/TLanguageCombo.h"
#include "ui/TMainForm.h"
#include "ui/TPageControl.h"
#include "ui/TPropertyEdit.h"
#include "ui/TScriptEditor.h"

namespace {

bool markerShown(const TMainForm& form) {
    return !form.view().L_ReadOnly->isHidden();
}

}  // namespace

class TMainFormTest : public QObject {
    Q_OBJECT

private slots:
    void startsAsTheWizardsFirstStep() {
        TTestWindow window;
        TMainForm& form = *window.form;
        const QString title = QStringLiteral("Quillshift for RVLT - Rel. %1 - by ")
                                  .arg(QLatin1StringView(quillshift::kVersion));
        QVERIFY2(form.windowTitle().startsWith(title), qPrintable(form.windowTitle()));
        QCOMPARE(form.view().PageControl->currentWidget(), form.view().TS_Input);
        QVERIFY(!form.view().AdvMemo1->isReadOnly());
        QVERIFY(form.view().AdvMemo2->isReadOnly());
        QVERIFY(!form.view().AdvMemo1->lineNumbersVisible());
        QVERIFY(!form.view().AdvMemo2->lineNumbersVisible());
        QVERIFY(!markerShown(form));
        QVERIFY(form.InputPath().isEmpty() || form.InputPath().endsWith(QLatin1Char('/')));
        QVERIFY(form.DefaultSaveName().isEmpty());
        QVERIFY(window.dialogs->calls.isEmpty());
        // Only Open is offered; the properties are empty and cannot be edited yet.
        QVERIFY(!form.commandItem(TMainForm::WizardGroup, TMainForm::OpenItem)->isHidden());
        for (const int item :
             {TMainForm::ConvertItem, TMainForm::AdjustItem, TMainForm::SaveItem}) {
            QVERIFY(form.commandItem(TMainForm::WizardGroup, item)->isHidden());
        }
        QVERIFY(form.view().E_Authors->text().isEmpty());
        QVERIFY(!form.view().E_Authors->isEnabled());
        QCOMPARE(form.view().CB_Lang->currentIndex(), 0);

        QCOMPARE(form.view().InspectorBar1->count(), 3);
        QCOMPARE(form.view().InspectorBar1->itemText(0), QStringLiteral("WIZARD"));
        QCOMPARE(form.view().InspectorBar1->itemText(1), QStringLiteral("EDIT"));
        QCOMPARE(form.view().InspectorBar1->itemText(2), QStringLiteral("ABOUT"));
        QCOMPARE(form.view().InspectorBar1->currentIndex(), 0);
    }

    void layout() {
        TTestWindow window;
        TMainForm& form = *window.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.view().Panel2->width(), 123);
        QCOMPARE(form.view().Panel2->geometry().left(), 0);
        QCOMPARE(form.view().Panel1->geometry().left(), 123);
        QCOMPARE(form.view().Panel1->geometry().right(), form.centralWidget()->width() - 1);

        const QStringList captions = {QStringLiteral("Input"), QStringLiteral("Output"),
                                      QStringLiteral("Properties"),
                                      QStringLiteral("About / note...")};
        const QList<QWidget*> pages = {form.view().TS_Input, form.view().TS_Output,
                                       form.view().TS_Options, form.view().TS_About};
        QCOMPARE(form.view().PageControl->count(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(form.view().PageControl->tabText(i), captions[i]);
            QCOMPARE(form.view().PageControl->widget(i), pages[i]);
            QCOMPARE(form.view().PageControl->tabBar()->tabRect(i).width(), 111);
            QCOMPARE(form.view().PageControl->tabIcon(i).pixmap(16, 16).size(), QSize(16, 16));
        }
        QCOMPARE(form.view().PageControl->iconSize(), QSize(16, 16));
        const auto iconImage = [&form](int tab) {
            return form.view().PageControl->tabIcon(tab).pixmap(16, 16).toImage();
        };
        QCOMPARE(iconImage(0), iconImage(1));
        QVERIFY(iconImage(2) != iconImage(0));
        QVERIFY(iconImage(3) != iconImage(0));
        QVERIFY(iconImage(3) != iconImage(2));

        QCOMPARE(form.view().AdvMemo1->parentWidget(), form.view().TS_Input);
        QCOMPARE(form.view().AdvMemo1->size(), form.view().TS_Input->size());
        QCOMPARE(form.view().AdvMemo2->parentWidget(), form.view().TS_Output);
    }

    // A desktop theme gives the application its palette; the window fixes its own backgrounds and
    // must fix the text drawn on them too.
    void everyWidgetsTextReadsOnItsBackgroundWhateverTheDesktopPalette_data() {
        QTest::addColumn<QPalette>("desktop");
        QTest::newRow("default") << QPalette();
        QPalette dark(Qt::white, QColor(0x42, 0x42, 0x45), QColor(0x97, 0x97, 0x97),
                      QColor(0x30, 0x2f, 0x2e), QColor(0x4a, 0x49, 0x47), Qt::white, Qt::white,
                      QColor(0x22, 0x20, 0x20), QColor(0x30, 0x2f, 0x2e));
        dark.setColor(QPalette::ToolTipBase, QColor(0x3f, 0x3f, 0x36));
        dark.setColor(QPalette::ToolTipText, Qt::white);
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
        QTest::newRow("dark") << dark;
        QPalette contrast(Qt::white, Qt::black, Qt::white, Qt::white, Qt::gray, Qt::yellow,
                          Qt::white, Qt::black, Qt::black);
        contrast.setColor(QPalette::Highlight, Qt::cyan);
        contrast.setColor(QPalette::HighlightedText, Qt::black);
        QTest::newRow("high contrast") << contrast;
    }

    void everyWidgetsTextReadsOnItsBackgroundWhateverTheDesktopPalette() {
        QFETCH(QPalette, desktop);
        const QPalette original = QApplication::palette();
        const auto restore = qScopeGuard([&original] { QApplication::setPalette(original); });
        QApplication::setPalette(desktop);
        TTestWindow window;
        TMainForm& form = *window.form;
        const QString script = window.writeFile(
            QStringLiteral("a.ifs"), "{\n{ Title\n* (c) me *\nprogram A;\nbegin\nend.\n");
        const auto check = [&form](const char* when) {
            for (const QWidget* widget : form.findChildren<QWidget*>()) {
                const QPalette::ColorGroup group =
                    widget->isEnabled() ? QPalette::Active : QPalette::Disabled;
                // The group captions are painted as buttons.
                const bool caption = widget->inherits("QToolBoxButton");
                const QColor back = widget->palette().color(
                    group, caption ? QPalette::Button : widget->backgroundRole());
                const QColor text = widget->palette().color(
                    group, caption ? QPalette::ButtonText : widget->foregroundRole());
                QVERIFY2(contrastRatio(back, text) >= 4.5,
                         qPrintable(QStringLiteral("%1: %2 (%3) on %4")
                                        .arg(when,
                                             widget->objectName() + QLatin1Char(' ') +
                                                 QLatin1String(widget->metaObject()->className()),
                                             text.name(), back.name())));
            }
        };
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.view();  // makes the properties fields
        check("at start");
        form.openScriptFile(script);
        window.convert();
        check("converted");
        window.adjust();
        check("adjusting");
    }

    void tabCaptionsAreWholeInEveryStyle_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("points");
        for (const char* style : {"Fusion", "Windows"}) {
            for (int points : {8, 14}) {
                QTest::addRow("%s, %d pt", style, points) << QString::fromLatin1(style) << points;
            }
        }
    }

    void tabCaptionsAreWholeInEveryStyle() {
        QFETCH(QString, style);
        QFETCH(int, points);
        const QString original = QApplication::style()->name();
        const auto restore = qScopeGuard([&original] { QApplication::setStyle(original); });
        QStyle* chosen = QStyleFactory::create(style);
        QVERIFY(chosen);
        QApplication::setStyle(chosen);
        TTestWindow window;
        TMainForm& form = *window.form;
        QTabBar* tabs = form.view().PageControl->tabBar();
        QFont font = tabs->font();
        font.setPointSize(points);
        tabs->setFont(font);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < tabs->count(); ++i) {
            QStyleOptionTab option;
            option.initFrom(tabs);
            option.rect = tabs->tabRect(i);
            option.text = tabs->tabText(i);
            option.icon = tabs->tabIcon(i);
            option.iconSize = tabs->iconSize();
            option.shape = tabs->shape();
            const QRect room =
                tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &option, tabs);
            QVERIFY2(room.width() >= tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)),
                     qPrintable(tabs->tabText(i)));
            QCOMPARE(tabs->tabRect(i).width(), tabs->tabRect(0).width());
            QVERIFY(tabs->tabRect(i).width() >= 111);
        }
        if (points == 8) {
            QCOMPARE(tabs->tabRect(0).width(), 111);
        }
    }

    void markerFollowsThePageRule_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("inputReadOnly");
        QTest::addColumn<bool>("outputReadOnly");
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("shown");
        const char* pageNames[] = {"Input", "Output", "Properties", "About"};
        const char* ways[] = {"program", "tab click", "reselect"};
        for (int page = 0; page < 4; ++page) {
            for (int flags = 0; flags < 4; ++flags) {
                const bool input = (flags & 1) != 0;
                const bool output = (flags & 2) != 0;
                const bool shown = (page == 0 && input) || (page == 1 && output);
                for (int how = 0; how < 3; ++how) {
                    QTest::addRow("%s, input %s, output %s, %s", pageNames[page],
                                  input ? "read-only" : "editable",
                                  output ? "read-only" : "editable", ways[how])
                        << page << input << output << how << shown;
                }
            }
        }
    }

    void markerFollowsThePageRule() {
        QFETCH(int, page);
        QFETCH(bool, inputReadOnly);
        QFETCH(bool, outputReadOnly);
        QFETCH(int, how);
        QFETCH(bool, shown);
        TTestWindow window;
        TMainForm& form = *window.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.view().AdvMemo1->setReadOnly(inputReadOnly);
        form.view().AdvMemo2->setReadOnly(outputReadOnly);
        // Start from the opposite marker state on another page, so that a stale marker shows.
        const int other = (page + 1) % 4;
        form.view().PageControl->setCurrentIndex(other);
        form.view().L_ReadOnly->setVisible(!shown);

        if (how == 0) {
            form.selectPage(form.view().PageControl->widget(page));
        } else if (how == 1) {
            QTabBar* tabs = form.view().PageControl->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(page).center());
        } else {
            form.view().PageControl->setCurrentIndex(page);
            form.view().L_ReadOnly->setVisible(!shown);
            form.selectPage(form.view().PageControl->widget(page));
        }
        QCOMPARE(form.view().PageControl->currentIndex(), page);
        QCOMPARE(markerShown(form), shown);
        QVERIFY(window.dialogs->errors.isEmpty());
    }

    void markerSitsAtTheTopRightOverTheTabs() {
        TTestWindow window;
        TMainForm& form = *window.form;
        form.view().AdvMemo1->setReadOnly(true);
        form.selectPage(form.view().TS_Input);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (const QSize& size : {QSize(800, 600), QSize(1000, 700), QSize(640, 480)}) {
            form.resize(size);
            QTRY_COMPARE(form.size(), size);
            QCOMPARE(form.view().L_ReadOnly->parentWidget(), form.view().Panel1);
            QCOMPARE(form.view().L_ReadOnly->geometry(),
                     QRect(form.view().Panel1->width() - 3 - 75, 3, 75, 17));
        }
        QCOMPARE(form.view().L_ReadOnly->text(), QStringLiteral("READ ONLY"));
        QVERIFY(form.view().L_ReadOnly->font().bold());
        const QColor marker = form.view().L_ReadOnly->palette().color(QPalette::WindowText);
        QVERIFY(marker.red() > 2 * (marker.green() + marker.blue()));
        QVERIFY(contrastRatio(marker, form.view().Panel1->palette().color(QPalette::Window)) >=
                4.5);
        QVERIFY(form.view().L_ReadOnly->alignment() & Qt::AlignRight);
        QVERIFY(markerShown(form));
        // The marker is drawn above the tab row, not hidden behind it.
        QCOMPARE(form.view().Panel1->childAt(form.view().L_ReadOnly->geometry().center()),
                 static_cast<QWidget*>(form.view().L_ReadOnly));
    }

    void aboutPage() {
        TAboutPage about;
        about.resize(793, 520);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.titleLabel()->text(),
                 QStringLiteral("Quillshift %1 ").arg(QLatin1StringView(quillshift::kVersion)));
        QCOMPARE(about.forLabel()->text(), QStringLiteral("for Reelvault"));
        QCOMPARE(about.webAddressLabel()->text(),
                 QString::fromLatin1(
                     quillshift::sites::kScriptsWebAddress.data(),
                     static_cast<qsizetype>(quillshift::sites::kScriptsWebAddress.size())));
        QVERIFY(!about.creditLabel()->text().isEmpty());
        QCOMPARE(about.noteLabel()->text(),
                 QStringLiteral("Note: Tool for conversion from RVLT 3.4.x script to RVLT 3.5.0 "
                                "script format"));
        struct Expected {
            QLabel* label;
            int left;
            int top;
            int pixelSize;
            QColor colour;
        };
        const Expected expected[] = {
            {about.titleLabel(), 8, 56, 32, QColor(0, 0, 128)},
            {about.forLabel(), 8, 128, 24, QColor(0, 0, 128)},
            {about.webAddressLabel(), 8, 160, 19, QColor(Qt::black)},
            {about.creditLabel(), 0, 240, 19, QColor(Qt::black)},
            {about.noteLabel(), 8, 392, 19, QColor(128, 0, 0)},
        };
        for (const Expected& e : expected) {
            QCOMPARE(e.label->geometry().topLeft(), QPoint(e.left, e.top));
            QCOMPARE(e.label->width(), 777);
            QCOMPARE(e.label->font().pixelSize(), e.pixelSize);
            QCOMPARE(e.label->palette().color(QPalette::WindowText), e.colour);
            QVERIFY(e.label->alignment() & Qt::AlignHCenter);
        }
        QVERIFY(about.titleLabel()->font().bold() && about.titleLabel()->font().italic());
        QVERIFY(about.forLabel()->font().bold() && !about.forLabel()->font().italic());
        QCOMPARE(about.noteLabel()->height(), 57);
        QVERIFY(about.noteLabel()->wordWrap());

        // The JPEG picture is decoded, 200×91, at 288/280 on a page 793 wide.
        QCOMPARE(about.picture()->geometry(), QRect(288, 280, 200, 91));
        QCOMPARE(about.picture()->pixmap().size(), QSize(200, 91));

        // Wider page: text boxes stretch, the picture's centre keeps its fraction of the width.
        about.resize(993, 520);
        QCOMPARE(about.titleLabel()->width(), 977);
        QCOMPARE(about.noteLabel()->width(), 977);
        QCOMPARE(about.picture()->geometry().center().x() + 1, qRound(388.0 * 993 / 793));
        QCOMPARE(about.picture()->geometry().top(), 280);
    }

    void windowPaints() {
        TTestWindow window;
        TMainForm& form = *window.form;
        form.view().AdvMemo1->setLines(
            {"program Demo;", "begin", "  ShowMessage('Hello'); // greet", "end."});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QImage shot = form.grab().toImage();
        QCOMPARE(shot.size(), form.size());
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3) {
            for (int x = 0; x < shot.width(); x += 3) {
                colours.insert(shot.pixel(x, y));
            }
        }
        QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
        // The command bar is silver-framed grey, the pane white.
        const QPoint inPane = form.view().AdvMemo1->viewport()->mapTo(&form, QPoint(400, 300));
        QCOMPARE(QColor(shot.pixel(inPane)), QColor(Qt::white));

        form.selectPage(form.view().TS_About);
        const QImage about = form.grab().toImage();
        const QPoint pictureCentre = form.view().TS_About->picture()->mapTo(&form, QPoint(100, 45));
        const QImage picture = form.view().TS_About->picture()->pixmap().toImage();
        QCOMPARE(QColor(about.pixel(pictureCentre)), QColor(picture.pixel(100, 45)));
    }

    void failingCommandLeavesTheWindowUsable() {
        TTestWindow window;
        TMainForm& form = *window.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.view().AdvMemo1->setLines({"program Kept;"});
        const bool finished = form.runGuarded(QStringLiteral("1 - Open Script...    "), [&form] {
            form.setDefaultSaveName(QStringLiteral("New gone.ifs"));
            form.view().AdvMemo1->loadFromFile("/nonexistent/gone.ifs");
            form.view().AdvMemo1->setReadOnly(true);
        });
        QVERIFY(!finished);
        QCOMPARE(window.dialogs->errors.size(), 1);
        QVERIFY2(window.dialogs->errors[0].message.startsWith(
                     QStringLiteral("Cannot open file \"/nonexistent/gone.ifs\". ")),
                 qPrintable(window.dialogs->errors[0].message));
        QVERIFY(window.dialogs->errors[0].details.startsWith(
            QStringLiteral("Command: 1 - Open Script...\nTime: ")));
        // State is as the failing command left it, and the window goes on working.
        QCOMPARE(form.DefaultSaveName(), QStringLiteral("New gone.ifs"));
        QCOMPARE(form.view().AdvMemo1->lines(), std::vector<std::string>{"program Kept;"});
        QVERIFY(!form.view().AdvMemo1->isReadOnly());
        QVERIFY(form.isVisible());
        form.view().AdvMemo1->setFocus();
        QTest::keyClicks(form.view().AdvMemo1, "x");
        QCOMPARE(form.view().AdvMemo1->lines(), std::vector<std::string>{"xprogram Kept;"});
        QTest::mouseClick(form.view().PageControl->tabBar(), Qt::LeftButton, Qt::NoModifier,
                          form.view().PageControl->tabBar()->tabRect(1).center());
        QCOMPARE(form.view().PageControl->currentWidget(), form.view().TS_Output);
        QVERIFY(markerShown(form));

        QVERIFY(!form.runGuarded(QStringLiteral("Other"), [] { throw 7; }));
        QCOMPARE(window.dialogs->errors.size(), 2);
    }

    void firstActivationPutsTheFocusOnTheRightPanel() {
        TTestWindow window;
        TMainForm& form = *window.form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_COMPARE(QApplication::focusWidget(), form.view().Panel1);

        // Coming back to the window later keeps the focus where it was.
        form.view().AdvMemo1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.view().AdvMemo1));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.view().AdvMemo1));
    }

    void closesWhenNothingFails() {
        TTestWindow window;
        window.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.form.get()));
        QVERIFY(window.form->close());
        QVERIFY(!window.form->isVisible());
        QVERIFY(window.dialogs->errors.isEmpty());
    }
};

QTEST_MAIN(TMainFormTest)
#include "TMainFormTest.moc"
