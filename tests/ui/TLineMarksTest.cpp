#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

#include "ui/TLineMarks.h"
#include "ui/TScriptEditor.h"

namespace {

// A pane "a b c d" (four lines, or those given) with the marks A, B, C and D on them; each mark's
// tooltip is its letter.
struct MarkedPane {
    explicit MarkedPane(const std::vector<std::string>& lines = {"a", "b", "c", "d"}) {
        pane.setLines(lines);
        TLineMarks::Marks list;
        for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
            list.push_back({line, static_cast<char>('A' + line), Qt::black});
        }
        marks->set(list,
                   [](std::size_t i) { return QString(QLatin1Char(static_cast<char>('A' + i))); });
    }
    // The marks line by line: "A|B|C|D"; a line with two marks shows both ("AB").
    QString perLine() const {
        QStringList lines;
        for (int line = 0; line < static_cast<int>(pane.lineCount()); ++line) {
            lines << marks->tipAt(line).remove(QLatin1Char('\n'));
        }
        return lines.join(QLatin1Char('|'));
    }
    TScriptEditor pane;
    TLineMarks* marks{new TLineMarks(pane)};
};

}  // namespace

class TLineMarksTest : public QObject {
    Q_OBJECT

private slots:
    // A mark follows its line's text and goes when that text is deleted; it never lands on a
    // line it did not mark.
    void marksFollowTheirLines_data() {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QString>("after");
        QTest::newRow("line break at the start of a line") << 0 << QStringLiteral("A||B|C|D");
        QTest::newRow("line break at the end of a line") << 1 << QStringLiteral("A|B||C|D");
        QTest::newRow("line break inside a line") << 2 << QStringLiteral("A|B||C|D");
        QTest::newRow("line break after a line's blanks") << 3 << QStringLiteral("A|B||C|D");
        QTest::newRow("whole line deleted") << 4 << QStringLiteral("A|C|D");
        QTest::newRow("two lines joined") << 5 << QStringLiteral("AB|C|D");
        QTest::newRow("deleted from one line into another") << 6 << QStringLiteral("AD");
        QTest::newRow("two lines pasted") << 7 << QStringLiteral("A|B|||C|D");
        QTest::newRow("deleted line restored by undo") << 8 << QStringLiteral("A||C|D");
        QTest::newRow("last line deleted with its line end") << 9 << QStringLiteral("A|B|C");
        QTest::newRow("blank line joined to the next") << 10 << QStringLiteral("A|C|D");
    }

    void marksFollowTheirLines() {
        QFETCH(int, edit);
        QFETCH(QString, after);
        MarkedPane marked(edit == 3 || edit == 10 ? std::vector<std::string>{"a", "  ", "  c", "d"}
                                                  : std::vector<std::string>{"a", "bb", "c", "d"});
        TScriptEditor& pane = marked.pane;
        switch (edit) {
            case 0:
                pane.insertAt(QStringLiteral("\n"), 1, 0);
                break;
            case 1:
                pane.insertAt(QStringLiteral("\n"), 1, 2);
                break;
            case 2:
                pane.insertAt(QStringLiteral("\n"), 1, 1);
                break;
            case 3:  // "  |c": the line's text moves down, its blanks stay
                pane.insertAt(QStringLiteral("\n"), 2, 2);
                break;
            case 4:
                pane.setSelection(1, 0, 2, 0);
                pane.removeSelectedText();
                break;
            case 5:
                pane.setSelection(0, 1, 1, 0);
                pane.removeSelectedText();
                break;
            case 6:
                pane.setSelection(0, 1, 3, 0);  // "a" keeps its text and "d" keeps all of its
                pane.removeSelectedText();
                break;
            case 7:
                pane.insertAt(QStringLiteral("x\ny\n"), 2, 0);
                break;
            case 8:
                pane.setSelection(1, 0, 2, 0);
                pane.removeSelectedText();
                pane.undo();
                break;
            case 9:
                pane.setSelection(2, 1, 3, 1);
                pane.removeSelectedText();
                break;
            case 10:  // the blank line 1 joined to "  c"
                pane.setSelection(1, 0, 2, 0);
                pane.removeSelectedText();
                break;
            default:
                QFAIL("unknown edit");
        }
        QCOMPARE(marked.perLine(), after);
    }

    void f8AndTheMenusGoFromMarkToMark() {
        MarkedPane marked({"a", "b", "c", "d", "e"});
        marked.marks->set({{1, 'B', Qt::black}, {3, 'D', Qt::black}, {4, 0, Qt::black}},
                          [](std::size_t) { return QString(); });
        marked.marks->setLegend({{'B', QStringLiteral("bee")}, {'D', QStringLiteral("dee")}});
        TScriptEditor& pane = marked.pane;
        pane.resize(400, 300);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        const auto caretLine = [&pane] {
            int line = 0;
            int index = 0;
            pane.getCursorPosition(&line, &index);
            return line;
        };
        pane.setCursorPosition(0, 0);
        QTest::keyClick(&pane, Qt::Key_F8);
        QCOMPARE(caretLine(), 1);
        QTest::keyClick(&pane, Qt::Key_F8);
        QCOMPARE(caretLine(), 3);  // a line without a letter is passed over
        QTest::keyClick(&pane, Qt::Key_F8);
        QCOMPARE(caretLine(), 1);  // round the end
        QTest::keyClick(&pane, Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(caretLine(), 3);

        // The text's context menu keeps the editor's actions and adds the marks' ones.
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            for (QAction* action : menu->actions()) {
                seen << action->text();
                if (action->menu() != nullptr) {
                    for (QAction* inner : action->menu()->actions()) {
                        seen << QStringLiteral("  ") + inner->text();
                    }
                }
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(200, 10),
                                pane.viewport()->mapToGlobal(QPoint(200, 10)));
        QApplication::sendEvent(pane.viewport(), &event);
        QVERIFY2(seen.contains(QStringLiteral("Next mark\tF8")), qPrintable(seen.join('|')));
        QVERIFY(seen.contains(QStringLiteral("Previous mark\tShift+F8")));
        QVERIFY(seen.contains(QStringLiteral("  B   bee")));
        QVERIFY(seen.contains(QStringLiteral("  D   dee")));
        QVERIFY(seen.size() > 6);  // the editor's own actions come first
        QCOMPARE(marked.marks->legendText(), QStringLiteral("B  bee\nD  dee"));

        // With warnings, F8 goes from warning to warning and Ctrl+F8 to any mark.
        marked.marks->set({{0, 'A', 0}, {2, '!', 0, true}, {4, '!', 0, true}},
                          [](std::size_t) { return QString(); });
        pane.setCursorPosition(0, 0);
        QTest::keyClick(&pane, Qt::Key_F8);
        QCOMPARE(caretLine(), 2);
        QTest::keyClick(&pane, Qt::Key_F8);
        QCOMPARE(caretLine(), 4);
        QTest::keyClick(&pane, Qt::Key_F8, Qt::ControlModifier);
        QCOMPARE(caretLine(), 0);
        QTest::keyClick(&pane, Qt::Key_F8, Qt::ShiftModifier);
        QCOMPARE(caretLine(), 4);
    }
};

QTEST_MAIN(TLineMarksTest)
#include "TLineMarksTest.moc"
