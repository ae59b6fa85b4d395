#include <QAbstractButton>
#include <QAbstractItemView>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeView>

#include "TTestWindow.h"
#include "ui/Look.h"
#include "ui/TCommentsMemo.h"
#include "ui/TLanguageCombo.h"
#include "ui/TPageControl.h"
#include "ui/TPropertiesPage.h"
#include "ui/TPropertyEdit.h"

namespace {

const QColor kInfoTip(255, 255, 225);
const QColor kSilver(192, 192, 192);
const QColor kWhite(Qt::white);

const QByteArray kScript =
    "(****\r\n{ Demo\r\n * (c) Ann\r\n * first comment (DE)\r\n * second comment\r\nprogram D;\r\n";

QList<TPropertyEdit*> edits(const TMainForm& form) {
    return {form.view().E_Authors, form.view().E_Title, form.view().E_Descr, form.view().E_Address,
            form.view().E_Version};
}

/// The colour the widget shows in the middle of its (empty) right part.
QColor backgroundOf(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return QColor(image.pixel(image.width() - 8, image.height() / 2));
}

/// A window in the Adjusting state with kScript converted, shown and active.
void adjusting(TTestWindow& w) {
    QVERIFY(w.showActive());
    w.open(w.writeFile(QStringLiteral("demo.ifs"), kScript));
    w.convert();
    w.adjust();
    QVERIFY(w.form->view().E_Authors->isEnabled());
}

}  // namespace

class TPropertiesPageTest : public QObject {
    Q_OBJECT

private slots:
    // The fields are made when the page is first shown, and are shown with it.
    void fieldsAreShownWithThePageThatMakesThem() {
        quillshift::ScriptProperties record;
        record.title = "Made late";
        QWidget window;
        auto* page = new TPropertiesPage(record, &window);
        window.show();
        page->show();
        QVERIFY(page->fields().E_Title->isVisible());
        QVERIFY(page->fields().M_Comments->isVisible());
        QCOMPARE(page->fields().E_Title->text(), QStringLiteral("Made late"));
    }

    void layoutOnADesignSizedPage() {
        TTestWindow w;
        TMainForm& form = *w.form;
        form.selectPage(form.view().TS_Options);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.view().TS_Options->resize(793, 560);

        struct Row {
            QLabel* caption;
            QString text;
            QWidget* field;
            int top;
        };
        const Row rows[] = {
            {form.view().L_Authors, QStringLiteral("Script Authors"), form.view().E_Authors, 16},
            {form.view().L_Title, QStringLiteral("Script Title"), form.view().E_Title, 48},
            {form.view().L_Descr, QStringLiteral("Description"), form.view().E_Descr, 80},
            {form.view().L_Address, QStringLiteral("Site Address"), form.view().E_Address, 112},
            {form.view().L_Lang, QStringLiteral("Site Language"), form.view().CB_Lang, 144},
            {form.view().L_Version, QStringLiteral("Script Version"), form.view().E_Version, 176},
            {form.view().L_Comments, QStringLiteral("Comments"), form.view().M_Comments, 216},
        };
        for (const Row& row : rows) {
            QCOMPARE(row.caption->text(), row.text);
            QCOMPARE(row.caption->parentWidget(), form.view().TS_Options);
            QCOMPARE(row.caption->geometry().topLeft(), QPoint(8, row.top + 4));
            QCOMPARE(row.caption->height(), 22);
            QVERIFY(row.caption->geometry().right() < 96);
            QCOMPARE(row.caption->buddy(), row.field);
            QCOMPARE(row.field->parentWidget(), form.view().TS_Options);
            QCOMPARE(row.field->geometry().topLeft(), QPoint(96, row.top));
            QCOMPARE(row.field->font().family(), QStringLiteral("Courier New"));
            QCOMPARE(row.field->font().pointSize(), 8);
        }
        for (TPropertyEdit* edit : edits(form)) {
            QCOMPARE(edit->width(), 681);
            QVERIFY(!edit->hasFrame());
        }
        QCOMPARE(form.view().CB_Lang->width(), 193);
        QCOMPARE(form.view().M_Comments->size(), QSize(681, 337));
        QCOMPARE(form.view().M_Comments->frameShadow(), QFrame::Sunken);
        QCOMPARE(form.view().M_Comments->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(form.view().M_Comments->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(form.view().M_Comments->lineWrapMode(), QPlainTextEdit::WidgetWidth);

        // The edits follow the page's right edge; the comments box keeps its size.
        for (int width : {993, 700}) {
            form.view().TS_Options->resize(width, 560);
            for (TPropertyEdit* edit : edits(form)) {
                QCOMPARE(edit->geometry().right(), width - 16 - 1);
            }
            QCOMPARE(form.view().M_Comments->size(), QSize(681, 337));
            QCOMPARE(form.view().CB_Lang->width(), 193);
        }
    }

    void tabOrderPutsTheVersionBeforeTheLanguage() {
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        form.view().E_Authors->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.view().E_Authors));
        const QList<QWidget*> expected = {form.view().E_Title,   form.view().E_Descr,
                                          form.view().E_Address, form.view().E_Version,
                                          form.view().CB_Lang,   form.view().M_Comments};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next->objectName());
        }
        // Tab leaves the comments box instead of being typed into it.
        const QString comments = form.view().M_Comments->toPlainText();
        QTest::keyClick(form.view().M_Comments, Qt::Key_Tab);
        QCOMPARE(form.view().M_Comments->toPlainText(), comments);
        QVERIFY(QApplication::focusWidget() != form.view().M_Comments);
    }

    void lockingClearsAndGreysUnlockingKeepsTheValues() {
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        form.view().M_Comments->setFocus();
        QTRY_VERIFY(form.view().M_Comments->hasFocus());

        form.SetPropertiesEnabled(false);
        QVERIFY(form.scriptProperties() == quillshift::ScriptProperties{});
        for (TPropertyEdit* edit : edits(form)) {
            QVERIFY(!edit->isEnabled());
            QVERIFY(edit->text().isEmpty());
            QCOMPARE(backgroundOf(edit), kSilver);
            // Still outlined on the silver page.
            const QImage image = edit->grab().toImage();
            QVERIFY(QColor(image.pixel(0, image.height() / 2)).lightness() < 160);
        }
        QVERIFY(!form.view().CB_Lang->isEnabled());
        QCOMPARE(form.view().CB_Lang->currentIndex(), 0);
        QVERIFY(!form.view().M_Comments->isEnabled());
        QVERIFY(form.view().M_Comments->toPlainText().isEmpty());
        QCOMPARE(backgroundOf(form.view().M_Comments), kSilver);

        // Locked values stay readable on silver.
        form.view().E_Title->setBytes("kept");
        QCOMPARE(form.view().E_Title->palette().color(QPalette::Disabled, QPalette::Text),
                 look::kLockedText);
        QCOMPARE(form.view().M_Comments->palette().color(QPalette::Disabled, QPalette::Text),
                 look::kLockedText);
        form.SetPropertiesEnabled(true);
        QCOMPARE(form.view().E_Title->text(), QStringLiteral("kept"));
        for (TPropertyEdit* edit : edits(form)) {
            QVERIFY(edit->isEnabled());
            QCOMPARE(backgroundOf(edit), kInfoTip);
        }
        QVERIFY(form.view().CB_Lang->isEnabled());
        QVERIFY(form.view().M_Comments->isEnabled());
        QCOMPARE(backgroundOf(form.view().M_Comments), kInfoTip);
    }

    void focusedFieldsShowTheWindowColour() {
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        QWidget* everyField[] = {form.view().E_Authors, form.view().E_Title,
                                 form.view().E_Descr,   form.view().E_Address,
                                 form.view().E_Version, form.view().M_Comments};
        for (QWidget* field : everyField) {
            field->setFocus();
            QTRY_VERIFY(field->hasFocus());
            QCOMPARE(backgroundOf(field), kWhite);
            for (QWidget* other : everyField) {
                if (other != field) {
                    QCOMPARE(backgroundOf(other), kInfoTip);
                }
            }
        }
        form.view().CB_Lang->setFocus();
        QTRY_VERIFY(form.view().CB_Lang->hasFocus());
        QCOMPARE(backgroundOf(form.view().M_Comments), kInfoTip);
    }

    void editsReachTheRecordAtOnce() {
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        using Field = std::string quillshift::ScriptProperties::*;
        const std::pair<TPropertyEdit*, Field> fields[] = {
            {form.view().E_Authors, &quillshift::ScriptProperties::authors},
            {form.view().E_Title, &quillshift::ScriptProperties::title},
            {form.view().E_Descr, &quillshift::ScriptProperties::description},
            {form.view().E_Address, &quillshift::ScriptProperties::site},
            {form.view().E_Version, &quillshift::ScriptProperties::version}};
        for (const auto& [edit, member] : fields) {
            edit->setFocus();
            edit->end(false);
            TTestWindow::type(edit, QStringLiteral("é€"));
            const std::string expected = edit->bytes();
            QVERIFY(expected.size() >= 2);
            QCOMPARE(expected.substr(expected.size() - 2), std::string("\xE9\x80"));
            QCOMPARE(form.scriptProperties().*member, expected);
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(form.scriptProperties().*member, expected.substr(0, expected.size() - 1));
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(form.scriptProperties().*member, expected);
        }

        // The language, chosen from the open list with the mouse.
        form.view().CB_Lang->showPopup();
        QAbstractItemView* list = form.view().CB_Lang->view();
        QTRY_VERIFY(list->isVisible());
        const QRect row = list->visualRect(list->model()->index(8, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(form.view().CB_Lang->currentIndex(), 8);
        QCOMPARE(form.scriptProperties().language, std::size_t{8});
        QCOMPARE(form.scriptProperties().languageCode(), std::string_view("PT"));

        form.view().M_Comments->setFocus();
        form.view().M_Comments->selectAll();
        TTestWindow::type(form.view().M_Comments, QStringLiteral("one\ntwo  \n\nfour"));
        QCOMPARE(form.scriptProperties().comments,
                 (std::vector<std::string>{"one", "two  ", "", "four"}));
    }

    void commentsAreTheLinesAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("lines");
        const QString longWord(300, QLatin1Char('x'));
        QTest::newRow("nothing") << QString() << QStringList();
        QTest::newRow("one line") << QStringLiteral("a b") << QStringList{QStringLiteral("a b")};
        QTest::newRow("final line break not counted")
            << QStringLiteral("a\n") << QStringList{QStringLiteral("a")};
        QTest::newRow("final empty line after it counts")
            << QStringLiteral("a\n\n") << QStringList{QStringLiteral("a"), QString()};
        QTest::newRow("only a line break") << QStringLiteral("\n") << QStringList{QString()};
        QTest::newRow("long word kept whole") << longWord << QStringList{longWord};
        const QString longLine = QStringLiteral("word ").repeated(60).trimmed();
        QTest::newRow("long line kept whole") << longLine << QStringList{longLine};
        QTest::newRow("no-break space kept")
            << QStringLiteral("a\u00A0b") << QStringList{QStringLiteral("a\u00A0b")};
    }

    void commentsAreTheLinesAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QStringList, lines);
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        form.view().M_Comments->setFocus();
        form.view().M_Comments->selectAll();
        QTest::keyClick(form.view().M_Comments, Qt::Key_Delete);
        TTestWindow::type(form.view().M_Comments, typed);
        std::vector<std::string> expected;
        for (const QString& line : lines) {
            expected.push_back(line.toLatin1().toStdString());
        }
        QCOMPARE(TTestWindow::joined(form.scriptProperties().comments),
                 TTestWindow::joined(expected));
        QCOMPARE(form.view().M_Comments->lines(), expected);
        if (typed.size() >= 300) {
            // The box does wrap it on screen; the record does not see that.
            QTRY_VERIFY(form.view().M_Comments->document()->firstBlock().layout()->lineCount() > 1);
        }
        // Shown again from the record, the box gives the same lines back.
        TCommentsMemo copy;
        copy.setLines(expected);
        QCOMPARE(copy.lines(), expected);
    }

    void charactersWindows1252CannotHoldAreRefused() {
        TTestWindow w;
        adjusting(w);
        TMainForm& form = *w.form;
        for (TPropertyEdit* edit : edits(form)) {
            edit->setFocus();
            const QString before = edit->text();
            const std::string recordBefore = edit->bytes();
            QSignalSpy refused(edit, &TPropertyEdit::textRefused);
            TTestWindow::type(edit, QStringLiteral("✓"));
            QCOMPARE(edit->text(), before);
            QCOMPARE(refused.size(), 1);
            QVERIFY(refused[0][0].toString().contains(QStringLiteral("U+2713")));

            QInputMethodEvent composed;
            composed.setCommitString(QStringLiteral("Ωmega"));
            QApplication::sendEvent(edit, &composed);
            QCOMPARE(edit->text(), before);

            QApplication::clipboard()->setText(QStringLiteral("two\nlines"));
            edit->paste();
            QCOMPARE(edit->text(), before);
            QCOMPARE(refused.size(), 3);
            QApplication::clipboard()->setText(QStringLiteral("Ça"));
            edit->end(false);
            edit->paste();
            QCOMPARE(edit->bytes(), recordBefore +
                                        "\xC7"
                                        "a");
        }

        form.view().M_Comments->setFocus();
        const QString before = form.view().M_Comments->toPlainText();
        const std::vector<std::string> recordBefore = form.scriptProperties().comments;
        QSignalSpy refused(form.view().M_Comments, &TCommentsMemo::textRefused);
        TTestWindow::type(form.view().M_Comments, QStringLiteral("✓"));
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("日本"));
        QApplication::sendEvent(form.view().M_Comments, &composed);
        QApplication::clipboard()->setText(QStringLiteral("ok then ✗"));
        form.view().M_Comments->paste();
        QCOMPARE(refused.size(), 3);
        QCOMPARE(form.view().M_Comments->toPlainText(), before);
        QVERIFY(form.scriptProperties().comments == recordBefore);

        // A pasted line break splits the line; Windows-1252 characters are kept as their bytes.
        QApplication::clipboard()->setText(QStringLiteral("€uro\r\nline"));
        form.view().M_Comments->moveCursor(QTextCursor::End);
        form.view().M_Comments->paste();
        std::vector<std::string> expected = recordBefore;
        expected.back() += "\x80uro";
        expected.emplace_back("line");
        QCOMPARE(TTestWindow::joined(form.scriptProperties().comments),
                 TTestWindow::joined(expected));
    }

    void languageListHasTwoColumns() {
        TTestWindow w;
        adjusting(w);
        TLanguageCombo* combo = w.form->view().CB_Lang;
        QCOMPARE(combo->count(), 9);
        const char* codes[] = {"?", "BR", "DE", "EN", "EN,FR", "ES", "FR", "IT", "PT"};
        const char* names[] = {"Unknown", "Brazilian", "German",  "English",   "English, French",
                               "Spanish", "French",    "Italian", "Portuguese"};
        QAbstractItemModel* model = combo->model();
        QCOMPARE(model->columnCount(), 2);
        for (int row = 0; row < 9; ++row) {
            QCOMPARE(model->index(row, 0).data().toString(), QString::fromLatin1(codes[row]));
            QCOMPARE(model->index(row, 1).data().toString(), QString::fromLatin1(names[row]));
            QCOMPARE(model->index(row, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
                     kInfoTip);
            QCOMPARE(model->index(row, 1).data(Qt::BackgroundRole).value<QBrush>().color(),
                     look::kGrey);
            QCOMPARE(model->index(row, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
                     kInfoTip);
        }
        auto* tree = qobject_cast<QTreeView*>(combo->view());
        QVERIFY(tree != nullptr);
        QCOMPARE(tree->columnWidth(0), 50);
        QCOMPARE(tree->columnWidth(1), 300);

        combo->showPopup();
        QTRY_VERIFY(tree->isVisible());
        QCOMPARE(tree->window()->height(), 200);
        QVERIFY(tree->viewport()->width() >= 350);
        // The nine rows fill the list, leaving less than a row's worth of the height over.
        const QRect lastRow = tree->visualRect(combo->model()->index(8, 0));
        QVERIFY(lastRow.bottom() < tree->viewport()->height());
        QVERIFY(tree->viewport()->height() - lastRow.bottom() <= 9);
        combo->hidePopup();

        // A fresh window selects row 0.
        TTestWindow fresh;
        QCOMPARE(fresh.form->view().CB_Lang->currentIndex(), 0);
        QCOMPARE(fresh.form->view().CB_Lang->currentText(), QStringLiteral("?"));
    }

    void typingGoesOnAfterACommandClickOrALostWindowFocus() {
        TTestWindow w;
        adjusting(w);
        TPropertyEdit* version = w.form->view().E_Version;
        version->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(version, "1.");
        QTest::mouseClick(w.form->commandItem(TMainForm::WizardGroup, TMainForm::AdjustItem),
                          Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(version));
        // Nor does opening a group with a click on its caption.
        QTest::mouseClick(w.form->view().InspectorBar1->captions()[1], Qt::LeftButton);
        QCOMPARE(w.form->view().InspectorBar1->currentIndex(), 1);
        QTest::keyClicks(QApplication::focusWidget(), "2");
        QCOMPARE(version->text(), QStringLiteral("1.2"));
        // Focus leaving for another window keeps the focused look.
        const QColor focused = backgroundOf(version);
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(version, &away);
        QCOMPARE(backgroundOf(version), focused);
    }

    void closedLanguageBoxShowsCodeAndName() {
        TTestWindow w;
        adjusting(w);
        TLanguageCombo* combo = w.form->view().CB_Lang;
        QCOMPARE(combo->currentIndex(), 2);
        const QImage image = combo->grab().toImage();
        // The code cell is pale yellow and the name cell grey, each with text drawn in it.
        const int middle = image.height() / 2;
        QCOMPARE(QColor(image.pixel(45, 4)), kInfoTip);
        QCOMPARE(QColor(image.pixel(150, 4)), look::kGrey);
        bool nameInk = false;
        for (int x = 60; x < 140; ++x) {
            nameInk = nameInk || QColor(image.pixel(x, middle)).lightness() > 200;
        }
        QVERIFY(nameInk);
    }
};

QTEST_MAIN(TPropertiesPageTest)
#include "TPropertiesPageTest.moc"
