#include <QAbstractButton>
#include <QTest>
#include <QToolBox>

#include "TTestWindow.h"
#include "ui/Look.h"
#include "ui/TCommandBar.h"
#include "ui/TInspectorItem.h"

namespace {

QList<QAbstractButton*> groupCaptions(const TMainForm& form) {
    return form.view().InspectorBar1->captions();
}

QColor pixel(QWidget* widget, const QPoint& at) {
    return QColor(widget->grab().toImage().pixel(at));
}

}  // namespace

class TCommandBarTest : public QObject {
    Q_OBJECT

private slots:
    void itemsAndCaptions_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("caption");
        QTest::newRow("open") << 0 << 0 << QStringLiteral("1 - Open Script...    ");
        QTest::newRow("convert") << 0 << 1 << QStringLiteral("2 - Convert !            ");
        QTest::newRow("adjust") << 0 << 2 << QStringLiteral("3 - Adjust Properties");
        QTest::newRow("save") << 0 << 3 << QStringLiteral("4 - Save Script As...");
        QTest::newRow("edit input") << 1 << 0 << QStringLiteral("Edit Input");
        QTest::newRow("edit output") << 1 << 1 << QStringLiteral("Edit output");
        QTest::newRow("about") << 2 << 0 << QStringLiteral("About...");
    }

    void itemsAndCaptions() {
        QFETCH(int, group);
        QFETCH(int, item);
        QFETCH(QString, caption);
        TTestWindow w;
        TInspectorItem* button = w.form->commandItem(group, item);
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(), caption);
        QCOMPARE(TMainFormUi::commandCaption(group, item), caption);
        QCOMPARE(button->parentWidget(), w.form->view().InspectorBar1->widget(group));
        QCOMPARE(button->iconSize(), QSize(32, 32));
        QVERIFY(!button->commandIcon().isNull());
        QCOMPARE(button->focusPolicy(), Qt::TabFocus);
        QVERIFY(button->shortcut().isEmpty());
    }

    void groupsAndTheirLook() {
        TTestWindow w;
        TMainForm& form = *w.form;
        QCOMPARE(form.view().InspectorBar1->count(), 3);
        const QList<QAbstractButton*> captions = groupCaptions(form);
        QCOMPARE(captions.size(), 3);
        const QStringList texts = {QStringLiteral("WIZARD"), QStringLiteral("EDIT"),
                                   QStringLiteral("ABOUT")};
        for (int group = 0; group < 3; ++group) {
            QCOMPARE(captions[group]->text(), texts[group]);
            QCOMPARE(captions[group]->height(), 22);
            QWidget* page = form.view().InspectorBar1->widget(group);
            QCOMPARE(page->palette().color(QPalette::Window), look::kGrey);
            QCOMPARE(page->palette().color(QPalette::WindowText), QColor(Qt::white));
        }
        QCOMPARE(form.commandItem(3, 0), nullptr);
        QCOMPARE(form.commandItem(0, 4), nullptr);
        QVERIFY(TMainFormUi::commandCaption(1, 2).isEmpty());
    }

    // The start state itself is checked in TMainFormTest; here, where the bar puts its groups.
    void startsWithWizardOpenAtTheTopAndTheOtherGroupsBelow() {
        TTestWindow w;
        QVERIFY(w.showActive());
        TMainForm& form = *w.form;
        QCOMPARE(form.view().InspectorBar1->currentIndex(), 0);
        const QList<QAbstractButton*> captions = groupCaptions(form);
        // WIZARD at the top, EDIT and ABOUT at the bottom of the bar.
        QCOMPARE(captions[0]->geometry().top(), 0);
        QCOMPARE(captions[2]->geometry().bottom(), form.view().InspectorBar1->height() - 1);
        QCOMPARE(captions[1]->geometry().bottom() + 1, captions[2]->geometry().top());
        for (int group = 1; group < 3; ++group) {
            QVERIFY(!form.view().InspectorBar1->widget(group)->isVisible());
        }
    }

    void visibleItemsStackEvery58PixelsFromTheTop() {
        TTestWindow w;
        QVERIFY(w.showActive());
        TMainForm& form = *w.form;
        const QString script = w.writeFile(QStringLiteral("a.ifs"), "{\r\n{ A\r\nprogram A;\r\n");
        w.open(script);
        QCOMPARE(form.commandItem(0, 0)->geometry(),
                 QRect(0, 0, form.view().InspectorBar1->widget(0)->width(), 58));
        QCOMPARE(form.commandItem(0, 1)->geometry().top(), 58);
        w.convert();
        w.adjust();
        for (int item = 0; item < 4; ++item) {
            QCOMPARE(form.commandItem(0, item)->geometry().top(), 58 * item);
            QCOMPARE(form.commandItem(0, item)->height(), 58);
        }
        // A hidden item takes no room: Open again hides Adjust and Save.
        w.open(script);
        QVERIFY(form.commandItem(0, 2)->isHidden());
        QCOMPARE(form.commandItem(0, 1)->geometry().top(), 58);
    }

    void clickingACaptionOpensItsGroupAndClosesTheOther() {
        TTestWindow w;
        QVERIFY(w.showActive());
        TMainForm& form = *w.form;
        const QList<QAbstractButton*> captions = groupCaptions(form);
        QTest::mouseClick(captions[1], Qt::LeftButton);
        QCOMPARE(form.view().InspectorBar1->currentIndex(), 1);
        QTRY_VERIFY(form.commandItem(1, 0)->isVisible());
        QVERIFY(!form.commandItem(0, 0)->isVisible());
        // EDIT now stands under WIZARD at the top, its items below it, ABOUT at the bottom.
        QCOMPARE(captions[1]->geometry().top(), captions[0]->geometry().bottom() + 1);
        QCOMPARE(form.commandItem(1, 0)->mapTo(form.view().InspectorBar1, QPoint(0, 0)).y(),
                 captions[1]->geometry().bottom() + 1);
        QCOMPARE(captions[2]->geometry().bottom(), form.view().InspectorBar1->height() - 1);
    }

    void itemsAreDrawnWhiteOnGreyAndCaptionsOnButtonFace() {
        TTestWindow w;
        QVERIFY(w.showActive());
        TMainForm& form = *w.form;
        TInspectorItem* open = form.commandItem(0, 0);
        QImage image = open->grab().toImage();
        QCOMPARE(QColor(image.pixel(2, 2)), look::kGrey);
        int white = 0;
        for (int y = 38; y < 58; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                white += QColor(image.pixel(x, y)).lightness() > 200 ? 1 : 0;
            }
        }
        QVERIFY2(white > 20, qPrintable(QString::number(white)));

        QAbstractButton* caption = groupCaptions(form)[0];
        const QColor face = caption->palette().color(QPalette::Button);
        QCOMPARE(pixel(caption, QPoint(5, caption->height() / 2)), face);
        // The caption text is centred: its ink is balanced around the middle.
        const QImage bar = caption->grab().toImage();
        int left = bar.width();
        int right = -1;
        for (int y = 3; y < bar.height() - 3; ++y) {
            for (int x = 3; x < bar.width() - 3; ++x) {
                if (QColor(bar.pixel(x, y)) != face) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        QVERIFY(right > left);
        QVERIFY2(std::abs((left + right) / 2 - bar.width() / 2) <= 2,
                 qPrintable(QStringLiteral("%1..%2 of %3").arg(left).arg(right).arg(bar.width())));
    }

    void keyboardDrivesTheBar_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus");
        // Keys from the start, when the right panel holds the focus; Convert is hidden.
        QTest::newRow("Tab reaches the bar first") << "Tab"
                                                   << "caption 0";
        QTest::newRow("Shift+Tab reaches its end") << "Backtab"
                                                   << "caption 2";
        QTest::newRow("down to an item") << "Tab Down"
                                         << "item 0,0";
        QTest::newRow("hidden item and closed group skipped") << "Tab Down Down"
                                                              << "caption 1";
        QTest::newRow("Tab follows the bar") << "Tab Tab Tab"
                                             << "caption 1";
        QTest::newRow("up stops at the top") << "Tab Up Left"
                                             << "caption 0";
        QTest::newRow("down stops at the bottom") << "Tab Down Right Down Down"
                                                  << "caption 2";
        QTest::newRow("Space opens a group") << "Tab Down Down Space Down"
                                             << "item 1,0";
        QTest::newRow("Enter runs an item") << "Tab Down Down Return Down Down Return"
                                            << "AdvMemo2";
        QTest::newRow("Ctrl+Tab leaves a pane") << "Tab Down Down Return Down Return Ctrl+Tab"
                                                << "caption 0";
    }

    void keyboardDrivesTheBar() {
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        TTestWindow w;
        QVERIFY(w.showActive());
        TMainForm& form = *w.form;
        const QList<QAbstractButton*> captions = groupCaptions(form);
        const auto focusName = [&]() -> QString {
            QWidget* focused = QApplication::focusWidget();
            for (int group = 0; group < 3; ++group) {
                if (focused == captions[group]) {
                    return QStringLiteral("caption %1").arg(group);
                }
                for (int item = 0; form.commandItem(group, item) != nullptr; ++item) {
                    if (focused == form.commandItem(group, item)) {
                        return QStringLiteral("item %1,%2").arg(group).arg(item);
                    }
                }
            }
            return focused != nullptr ? focused->objectName() : QString();
        };
        QTRY_COMPARE(focusName(), QStringLiteral("Panel1"));
        const QMap<QString, Qt::Key> named = {
            {"Tab", Qt::Key_Tab},     {"Backtab", Qt::Key_Backtab}, {"Up", Qt::Key_Up},
            {"Down", Qt::Key_Down},   {"Left", Qt::Key_Left},       {"Right", Qt::Key_Right},
            {"Space", Qt::Key_Space}, {"Return", Qt::Key_Return},   {"Ctrl+Tab", Qt::Key_Tab}};
        for (const QString& key : keys.split(QLatin1Char(' '))) {
            QTest::keyClick(QApplication::focusWidget(), named.value(key),
                            key.startsWith("Ctrl") ? Qt::ControlModifier : Qt::NoModifier);
        }
        QCOMPARE(focusName(), focus);
    }

    void clickingAnItemRunsItsCommand() {
        TTestWindow w;
        QVERIFY(w.showActive());
        w.click(TMainForm::AboutGroup, TMainForm::AboutNoteItem);
        QCOMPARE(w.form->view().PageControl->currentWidget(), w.form->view().TS_About);
        w.dialogs->openAnswers.emplace_back();
        w.click(TMainForm::WizardGroup, TMainForm::OpenItem);
        QCOMPARE(w.dialogs->calls.size(), 1);
    }
};

QTEST_MAIN(TCommandBarTest)
#include "TCommandBarTest.moc"
