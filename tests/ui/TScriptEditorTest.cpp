#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "base/FileError.h"
#include "support/TempDir.h"
#include "ui/TScriptEditor.h"
#include "ui/TTypingHelp.h"

namespace {

using Lines = std::vector<std::string>;

/// Gives the tests the pane's drag-and-drop conversions.
class DropPane : public TScriptEditor {
public:
    using TScriptEditor::canInsertFromMimeData;
    using TScriptEditor::fromMimeData;
};

QByteArray raw(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string fromRaw(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

/// The pane's bytes, without going through lines().
std::string paneBytes(const TScriptEditor& pane) {
    const long length = pane.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    pane.SendScintilla(QsciScintillaBase::SCI_GETTEXT, static_cast<unsigned long>(length + 1),
                       static_cast<void*>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void setPaneBytes(TScriptEditor& pane, const std::string& bytes) {
    pane.SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    pane.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, bytes.size(), bytes.data());
}

/// The pieces joined (avoids a false -Wrestrict of GCC 12 on chained string additions).
std::string join(std::initializer_list<std::string_view> pieces) {
    std::string result;
    for (std::string_view piece : pieces) {
        result.append(piece);
    }
    return result;
}

/// Every byte that a line may hold: 0x01 to 0xFF without CR, LF and tab.
std::string everyLineByte() {
    std::string bytes;
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (byte != '\r' && byte != '\n' && byte != '\t') {
            bytes += static_cast<char>(byte);
        }
    }
    return bytes;
}

/// Sends a key press carrying `text`, as a keyboard layout with that character would.
void typeCharacter(QWidget& widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

std::unique_ptr<TScriptEditor> shownPane() {
    auto pane = std::make_unique<TScriptEditor>();
    pane->resize(640, 400);
    pane->show();
    if (!QTest::qWaitForWindowExposed(pane.get())) {
        return nullptr;
    }
    pane->setFocus();
    return pane;
}

}  // namespace

Q_DECLARE_METATYPE(Lines)

class TScriptEditorTest : public QObject {
    Q_OBJECT

private slots:
    void linesFollowTheEditorsLineModel_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Lines>("expected");
        QTest::newRow("empty pane has no lines") << QByteArray() << Lines{};
        QTest::newRow("one line") << QByteArray("a") << Lines{"a"};
        QTest::newRow("final line end adds an empty line") << QByteArray("a\n") << Lines{"a", ""};
        QTest::newRow("only a line end") << QByteArray("\n") << Lines{"", ""};
        QTest::newRow("CR LF") << QByteArray("a\r\nb") << Lines{"a", "b"};
        QTest::newRow("lone CR and lone LF") << QByteArray("a\rb\nc") << Lines{"a", "b", "c"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
        QTest::newRow("trailing blanks stay") << QByteArray("x  \r\n  ") << Lines{"x  ", "  "};
    }

    void linesFollowTheEditorsLineModel() {
        QFETCH(QByteArray, text);
        QFETCH(Lines, expected);
        TScriptEditor pane;
        setPaneBytes(pane, fromRaw(text));
        QCOMPARE(pane.lines(), expected);
        QCOMPARE(pane.lineCount(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(pane.line(i), expected[i]);
        }
        QCOMPARE(pane.line(expected.size()), std::string());
    }

    void setLinesRoundTrips_data() {
        QTest::addColumn<Lines>("lines");
        QTest::newRow("none") << Lines{};
        QTest::newRow("one") << Lines{"program Test;"};
        QTest::newRow("empty first line") << Lines{"", "x"};
        QTest::newRow("empty last line") << Lines{"x", ""};
        QTest::newRow("two empty lines") << Lines{"", ""};
        QTest::newRow("blanks") << Lines{"  lead", "trail  ", " "};
        QTest::newRow("every byte") << Lines{everyLineByte(), "end."};
    }

    void setLinesRoundTrips() {
        QFETCH(Lines, lines);
        for (bool readOnly : {false, true}) {
            TScriptEditor pane;
            pane.setReadOnly(readOnly);
            pane.setLines({"old", "content"});
            pane.setLines(lines);
            QCOMPARE(pane.lines(), lines);
            QCOMPARE(pane.isReadOnly(), readOnly);
        }
    }

    // A large text goes into a document without colours, a small one back into a coloured one;
    // the lines are the same either way and the pane stays read-only if it was.
    void largeTextIsHeldWithoutColours() {
        const auto styled = [](const TScriptEditor& pane) {
            return (pane.SendScintilla(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) &
                    QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE) == 0;
        };
        auto pane = std::make_unique<TScriptEditor>();
        pane->setReadOnly(true);
        const std::string line = "\tGetPicture(PicURL, False);";
        const std::size_t count = TScriptEditor::kLargeText / line.size() + 2;
        pane->setLinesFrom(count * (line.size() + 4), [&](const TScriptEditor::LineSink& add) {
            for (std::size_t i = 0; i < count; ++i) {
                add(line);
            }
        });
        QVERIFY(!styled(*pane));
        QVERIFY(pane->isReadOnly());
        QCOMPARE(pane->lineCount(), count);
        QCOMPARE(pane->line(count - 1), std::string("    GetPicture(PicURL, False);"));
        QCOMPARE(pane->textLength(), count * (line.size() + 4) - 1);

        pane->setLines({"small"});
        QVERIFY(styled(*pane));
        QVERIFY(pane->isReadOnly());
        QCOMPARE(pane->lines(), Lines{"small"});
        pane->setLinesFrom(TScriptEditor::kLargeText + 1,
                           [](const TScriptEditor::LineSink& add) { add("big again"); });
        QVERIFY(!styled(*pane));
        pane.reset();  // gives the editor its own document back before it goes
    }

    void appendAndClearWorkOnReadOnlyPanes() {
        TScriptEditor pane;
        pane.setReadOnly(true);
        pane.appendLine("first");
        pane.appendLine("\tsecond");
        pane.appendLine("");
        pane.appendLine("last");
        QCOMPARE(pane.lines(), (Lines{"first", "    second", "", "last"}));
        pane.clearLines();
        QCOMPARE(pane.lineCount(), std::size_t{0});
        QVERIFY(pane.isReadOnly());
    }

    void everyTabBecomesFourBlanks() {
        TScriptEditor pane;
        pane.setLines({"\tx := 1;", "\t\ty", "ab\tc", "\t"});
        QCOMPARE(pane.lines(), (Lines{"    x := 1;", "        y", "ab    c", "    "}));
    }

    void loadFromFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Lines>("expected");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << Lines{"a", "b"};
        QTest::newRow("LF only, like its CR LF twin") << QByteArray("a\nb\n") << Lines{"a", "b"};
        QTest::newRow("CR only") << QByteArray("a\rb\r") << Lines{"a", "b"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << Lines{"a", "", "b"};
        QTest::newRow("last line without terminator") << QByteArray("a\r\nb") << Lines{"a", "b"};
        QTest::newRow("empty file") << QByteArray() << Lines{};
        QTest::newRow("byte-order mark stays")
            << QByteArray("\xEF\xBB\xBFprogram x;") << Lines{"\xEF\xBB\xBFprogram x;"};
        QTest::newRow("one tab") << QByteArray("\tx := 1;\r\n") << Lines{"    x := 1;"};
        QTest::newRow("two tabs") << QByteArray("\t\tx;\r\n") << Lines{"        x;"};
        QTest::newRow("trailing blanks") << QByteArray("x   \r\n") << Lines{"x   "};
        QTest::newRow("every byte")
            << raw(join({everyLineByte(), "\r\n"})) << Lines{everyLineByte()};
    }

    void loadFromFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(Lines, expected);
        const quillshift::testing::TempDir folder;
        const std::string path = folder.file("script.ifs");
        quillshift::testing::writeBytes(
            path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));

        TScriptEditor pane;
        pane.setReadOnly(true);
        pane.setLines({"previous"});
        pane.loadFromFile(path);
        QCOMPARE(pane.lines(), expected);
        QVERIFY(pane.isReadOnly());
        QVERIFY(!pane.isUndoAvailable());
    }

    void refusedFileKeepsTheLinesAfterResettingCaretAndUndo_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("reason");
        QTest::newRow("NUL byte in line 3")
            << true << QStringLiteral(". The file contains a NUL byte (line 3)");
        QTest::newRow("missing file") << false << QStringLiteral(". ");
    }

    void refusedFileKeepsTheLinesAfterResettingCaretAndUndo() {
        QFETCH(bool, exists);
        QFETCH(QString, reason);
        const quillshift::testing::TempDir folder;
        const std::string path = folder.file("nul.ifs");
        if (exists) {
            quillshift::testing::writeBytes(path,
                                            std::string_view("one\r\ntwo\r\nth\0ree\r\n", 18));
        }

        auto pane = shownPane();
        QVERIFY(pane);
        pane->setLines({"keep", "these"});
        QTest::keyClicks(pane.get(), "typed");
        pane->SendScintilla(QsciScintillaBase::SCI_SETSEL, 1UL, 4L);
        QVERIFY(pane->isUndoAvailable());

        QString message;
        try {
            pane->loadFromFile(path);
        } catch (const quillshift::FileError& error) {
            message = QString::fromUtf8(error.what());
        }
        QVERIFY2(message.startsWith(
                     QStringLiteral("Cannot open file \"%1\"").arg(QString::fromStdString(path)) +
                     reason),
                 qPrintable(message));
        QCOMPARE(pane->lines(), (Lines{"typedkeep", "these"}));
        QVERIFY(!pane->isUndoAvailable());
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0L);
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND), 0L);
    }

    void tabKeyInsertsFourBlanks() {
        auto pane = shownPane();
        QVERIFY(pane);
        QTest::keyClicks(pane.get(), "a");
        QTest::keyClick(pane.get(), Qt::Key_Tab);
        QTest::keyClicks(pane.get(), "b");
        QCOMPARE(pane->lines(), Lines{"a    b"});

        pane->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 1L);
        QTest::keyClick(pane.get(), Qt::Key_Tab);
        QCOMPARE(pane->lines(), Lines{"        b"});

        pane->setReadOnly(true);
        QTest::keyClick(pane.get(), Qt::Key_Tab);
        QCOMPARE(pane->lines(), Lines{"        b"});
    }

    // X11 gives command keys a control character as their text, which offscreen key clicks lack.
    void keysCarryingControlCharactersRunTheirCommandOnly_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("after");  // "ab|cd" with the caret at |
        const QString del(QChar(0x7F));
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << del << QByteArray("abd");
        QTest::newRow("Ctrl+Delete")
            << int(Qt::Key_Delete) << int(Qt::ControlModifier) << del << QByteArray("ab");
        QTest::newRow("Shift+Delete cuts")
            << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << del << QByteArray("abcd");
        QTest::newRow("a key without a command")
            << int(Qt::Key_Delete) << int(Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier)
            << del << QByteArray("abcd");
        QTest::newRow("C1 control") << 0 << 0 << QStringLiteral("\u0085") << QByteArray("abcd");
        QTest::newRow("C0 control") << int(Qt::Key_E) << int(Qt::ControlModifier)
                                    << QStringLiteral("\u0005") << QByteArray("abcd");
    }

    void keysCarryingControlCharactersRunTheirCommandOnly() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QByteArray, after);
        auto pane = shownPane();
        QVERIFY(pane);
        pane->setLines({"abcd"});
        pane->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 2UL);
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(pane.get(), &press);
        QCOMPARE(paneBytes(*pane), fromRaw(after));

        QInputMethodEvent composed;
        composed.setCommitString(text + QStringLiteral("\u00E9"));
        QApplication::sendEvent(pane.get(), &composed);
        QCOMPARE(paneBytes(*pane).find_first_of("\x05\x7F\x85"), std::string::npos);
    }

    void tabIndentsSelectedLinesAndShiftTabUnindents() {
        auto pane = shownPane();
        QVERIFY(pane);
        pane->setLines({"a", "  b", "c"});
        pane->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 5L);  // "a", "  b"
        QTest::keyClick(pane.get(), Qt::Key_Tab);
        Lines lines = pane->lines();
        QCOMPARE(lines.size(), std::size_t{3});
        QCOMPARE(lines[0], std::string("    a"));
        QVERIFY(lines[1].starts_with("    ") && lines[1].ends_with(" b"));
        QCOMPARE(lines[2], std::string("c"));
        QTest::keyClick(pane.get(), Qt::Key_Backtab, Qt::ShiftModifier);
        lines = pane->lines();
        QCOMPARE(lines[0], std::string("a"));
        QVERIFY(lines[1].size() < 7 && lines[1].ends_with("b"));
    }

    void pastedTabsBecomeBlanks_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("paste()") << 0;
        QTest::newRow("Ctrl+V") << 1;
        QTest::newRow("Shift+Insert") << 2;
    }

    void pastedTabsBecomeBlanks() {
        QFETCH(int, how);
        auto pane = shownPane();
        QVERIFY(pane);
        QApplication::clipboard()->setText(QStringLiteral("x\ty\r\n\tz"));
        if (how == 0) {
            pane->paste();
        } else if (how == 1) {
            QTest::keyClick(pane.get(), Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClick(pane.get(), Qt::Key_Insert, Qt::ShiftModifier);
        }
        QCOMPARE(pane->lines(), (Lines{"x    y", "    z"}));
    }

    void droppedTextIsConvertedOrRefused() {
        DropPane pane;
        QMimeData tabbed;
        tabbed.setText(QStringLiteral("p\tq \u20AC"));
        bool rectangular = true;
        QVERIFY(pane.canInsertFromMimeData(&tabbed));
        QCOMPARE(fromRaw(pane.fromMimeData(&tabbed, rectangular)), std::string("p    q \x80"));
        QVERIFY(!rectangular);

        QMimeData unencodable;
        unencodable.setText(QStringLiteral("ok \u2713"));
        QVERIFY(!pane.canInsertFromMimeData(&unencodable));
    }

    void everyByteSurvivesCopyAndPaste() {
        auto pane = shownPane();
        QVERIFY(pane);
        const std::string bytes = everyLineByte();
        pane->setLines({bytes});
        pane->selectAll();
        pane->copy();
        const QString copied = QApplication::clipboard()->text();
        QCOMPARE(copied.size(), static_cast<qsizetype>(bytes.size()));
        QCOMPARE(copied.at(0x80 - 4), QChar(0x20AC));  // 0x80 is the euro sign
        QCOMPARE(copied.at(0x93 - 4), QChar(0x201C));  // 0x93 is the left double quote

        pane->clearLines();
        pane->paste();
        QCOMPARE(pane->lines(), Lines{bytes});
    }

    void typedCharactersAreStoredAsTheirWindows1252Byte_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("euro") << QStringLiteral("\u20AC") << QByteArray("\x80");
        QTest::newRow("e acute") << QStringLiteral("\u00E9") << QByteArray("\xE9");
        QTest::newRow("S caron") << QStringLiteral("\u0160") << QByteArray("\x8A");
        QTest::newRow("left quote") << QStringLiteral("\u201C") << QByteArray("\x93");
        QTest::newRow("y diaeresis") << QStringLiteral("\u00FF") << QByteArray("\xFF");
        QTest::newRow("no-break space") << QStringLiteral("\u00A0") << QByteArray("\xA0");
    }

    void typedCharactersAreStoredAsTheirWindows1252Byte() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        auto pane = shownPane();
        QVERIFY(pane);
        QTest::keyClicks(pane.get(), "a");
        typeCharacter(*pane, typed);
        QTest::keyClicks(pane.get(), "b");
        QCOMPARE(paneBytes(*pane), join({"a", fromRaw(stored), "b"}));

        // Overtype replaces the next character with the byte.
        pane->SendScintilla(QsciScintillaBase::SCI_SETOVERTYPE, 1UL);
        pane->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0UL);
        typeCharacter(*pane, typed);
        QCOMPARE(paneBytes(*pane), join({fromRaw(stored), fromRaw(stored), "b"}));
    }

    void unencodableCharacterIsRefusedWithANotice() {
        auto pane = shownPane();
        QVERIFY(pane);
        QSignalSpy refused(pane.get(), &TScriptEditor::textRefused);
        pane->setLines({"keep"});
        pane->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 2UL);

        typeCharacter(*pane, QStringLiteral("\u2713"));
        QCOMPARE(refused.count(), 1);
        QVERIFY2(refused.at(0).at(0).toString().contains(QStringLiteral("U+2713")),
                 qPrintable(refused.at(0).at(0).toString()));

        QApplication::clipboard()->setText(QStringLiteral("a\u4E2Db"));
        pane->selectAll();
        pane->paste();
        QCOMPARE(refused.count(), 2);

        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("\u03A9"));
        QApplication::sendEvent(pane.get(), &composed);
        QCOMPARE(refused.count(), 3);

        QCOMPARE(pane->lines(), Lines{"keep"});
        QVERIFY(!pane->hasSelectedText() || pane->selectedText() == QStringLiteral("keep"));
    }

    void inputMethodTextIsStoredAsWindows1252() {
        auto pane = shownPane();
        QVERIFY(pane);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("\u20AC\u00E9"));
        QApplication::sendEvent(pane.get(), &composed);
        QCOMPARE(paneBytes(*pane), std::string("\x80\xE9"));
    }

    void readOnlyPaneRefusesEditsAndKeepsItsView() {
        auto pane = shownPane();
        QVERIFY(pane);
        Lines many;
        for (int i = 0; i < 300; ++i) {
            many.push_back("line " + std::to_string(i));
        }
        pane->setLines(many);
        pane->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 120UL);
        pane->setReadOnly(true);
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE), 120L);
        QCOMPARE(pane->lines(), many);
        QTest::keyClicks(pane.get(), "x");
        typeCharacter(*pane, QStringLiteral("\u20AC"));
        QApplication::clipboard()->setText(QStringLiteral("pasted"));
        pane->paste();
        QCOMPARE(pane->lines(), many);
    }

    void lineNumbersShowOnlyForVisibleLines() {
        auto pane = shownPane();
        QVERIFY(pane);
        Lines many(20000, "x");
        pane->setLines(many);
        QVERIFY(!pane->lineNumbersVisible());
        QCOMPARE(pane->marginWidth(0), 0);

        pane->setLineNumbersVisible(true);
        QVERIFY(pane->marginWidth(0) > 0);
        auto marginText = [&pane](long line) {
            char text[32] = {};
            const long length =
                pane->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT,
                                    static_cast<unsigned long>(line), static_cast<void*>(nullptr));
            if (length <= 0 || length >= 32) {
                return QString();
            }
            pane->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT,
                                static_cast<unsigned long>(line), static_cast<void*>(text));
            return QString::fromLatin1(text, length);
        };
        QCOMPARE(marginText(0), QStringLiteral("00001"));
        QCOMPARE(marginText(9), QStringLiteral("00010"));
        QCOMPARE(marginText(15000), QString());

        pane->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 14995UL);
        QTRY_COMPARE(marginText(15000), QStringLiteral("15001"));

        pane->setLines({"a", "b"});
        QCOMPARE(marginText(0), QStringLiteral("0001"));
        QCOMPARE(marginText(1), QStringLiteral("0002"));
        const int fourDigits = pane->marginWidth(0);
        pane->setLineNumbersVisible(false);
        QCOMPARE(pane->marginWidth(0), 0);
        pane->setLineNumbersVisible(true);
        QCOMPARE(pane->marginWidth(0), fourDigits);
    }

    void suspendedPaneDoesNotRepaint() {
        TScriptEditor pane;
        pane.suspendRepaint();
        pane.suspendRepaint();
        QVERIFY(!pane.updatesEnabled());
        pane.resumeRepaint();
        QVERIFY(!pane.updatesEnabled());
        pane.resumeRepaint();
        QVERIFY(pane.updatesEnabled());
        pane.resumeRepaint();
        QVERIFY(pane.updatesEnabled());
    }

    void parameterHintStaysInsideTheWindow_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("lines");
        QTest::newRow("fits where typed") << QStringLiteral("ShowMessage(") << 1;
        QTest::newRow("moved left") << QString(60, QLatin1Char(' ')) + "ShowMessage(" << 1;
        QTest::newRow("too wide: broken") << QStringLiteral("x := MessageDlg(") << 2;
        QTest::newRow("broken and moved left")
            << QString(40, QLatin1Char(' ')) + "x := MessageDlg(" << 2;
    }

    void parameterHintStaysInsideTheWindow() {
        QFETCH(QString, typed);
        QFETCH(int, lines);
        // A window 640 wide with the pane right of a command bar, as in the program.
        QWidget window;
        window.setGeometry(10, 10, 640, 400);
        auto* pane = new TScriptEditor(&window);
        pane->setGeometry(123, 0, 517, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        pane->setFocus();
        QTest::keyClicks(pane, typed);
        QVERIFY(pane->SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE));
        QWidget* hint = nullptr;
        for (QWidget* child : pane->findChildren<QWidget*>()) {
            hint = child->isWindow() && child->isVisible() ? child : hint;
        }
        QVERIFY(hint != nullptr);
        const QRect room = window.geometry() & window.screen()->availableGeometry();
        QVERIFY2(room.contains(hint->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                 .arg(hint->x())
                                                                 .arg(hint->y())
                                                                 .arg(hint->width())
                                                                 .arg(hint->height())));
        const long lineHeight = pane->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL);
        QCOMPARE((hint->height() + lineHeight / 2) / lineHeight, lines);
    }

    void brokenHint_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("maxWidth");
        QTest::addColumn<QString>("broken");
        const QString dlg = QStringLiteral("F(a: A; bb: B; c: C): D;");
        QTest::newRow("fits") << dlg << 24 << dlg;
        QTest::newRow("under the first parameter")
            << dlg << 14 << QStringLiteral("F(a: A; bb: B;\n  c: C): D;");
        QTest::newRow("at the left when indenting does not fit")
            << dlg << 10 << QStringLiteral("F(a: A;\nbb: B;\nc: C): D;");
        QTest::newRow("a piece too wide stays whole")
            << dlg << 3 << QStringLiteral("F(a: A;\nbb: B;\nc: C): D;");
        QTest::newRow("no semicolon inside")
            << QStringLiteral("G(x: X);") << 3 << QStringLiteral("G(x: X);");
    }

    void brokenHint() {
        QFETCH(QString, hint);
        QFETCH(int, maxWidth);
        QFETCH(QString, broken);
        const auto width = [](const QString& text) { return static_cast<int>(text.size()); };
        QCOMPARE(TTypingHelp::brokenHint(hint, maxWidth, width), broken);
    }

    void look() {
        TScriptEditor pane;
        auto send = [&pane](unsigned int message) { return pane.SendScintilla(message); };
        QCOMPARE(send(QsciScintillaBase::SCI_GETEDGEMODE), long{QsciScintillaBase::EDGE_LINE});
        QCOMPARE(send(QsciScintillaBase::SCI_GETEDGECOLUMN), 80L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETEDGECOLOUR), 0xE2E2E2L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETCARETLINEVISIBLE), 0L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETWRAPMODE), 0L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETTABWIDTH), 4L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETUSETABS), 0L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETCODEPAGE), 0L);
        QCOMPARE(send(QsciScintillaBase::SCI_GETEOLMODE), long{QsciScintillaBase::SC_EOL_LF});
        for (int margin = 0; margin < 5; ++margin) {
            QCOMPARE(pane.marginWidth(margin), 0);
        }
        QCOMPARE(pane.frameShape(), QFrame::NoFrame);
        QCOMPARE(pane.folding(), QsciScintilla::NoFoldStyle);
        QVERIFY(!pane.isReadOnly());
    }

    void bytesWithoutGlyphAreDrawnVisibly_data() {
        QTest::addColumn<QByteArray>("byte");
        QTest::newRow("euro 0x80") << QByteArray("\x80");
        QTest::newRow("quote 0x93") << QByteArray("\x93");
        QTest::newRow("undefined 0x81") << QByteArray("\x81");
        QTest::newRow("control 0x01") << QByteArray("\x01");
    }

    void bytesWithoutGlyphAreDrawnVisibly() {
        QFETCH(QByteArray, byte);
        auto pane = shownPane();
        QVERIFY(pane);
        pane->setLines({join({"x", fromRaw(byte), "x"})});
        const QImage drawn = pane->viewport()->grab().toImage();
        pane->setLines({"x x"});
        const QImage blank = pane->viewport()->grab().toImage();
        pane->setLines({"x.x"});
        const QImage dot = pane->viewport()->grab().toImage();
        QVERIFY(drawn != blank);
        QVERIFY(drawn != dot);
        // The byte takes the room of one character: the last x is where it is in "x x".
        const int third = static_cast<int>(
            pane->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 2L));
        pane->setLines({join({"x", fromRaw(byte), "x"})});
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, 2L),
                 long{third});
    }
};

QTEST_MAIN(TScriptEditorTest)
#include "TScriptEditorTest.moc"
