#include <QTest>

#include <set>
#include <string>

#include "ui/TPascalLexer.h"
#include "ui/TScriptEditor.h"

namespace {

using Lexer = TPascalLexer;

/// One letter per style, so that expected styles can be written under the text.
char styleLetter(int style) {
    switch (Lexer::baseStyle(style)) {
        case Lexer::Default:
            return 'd';
        case Lexer::Keyword:
            return 'k';
        case Lexer::String:
            return 's';
        case Lexer::Number:
            return 'n';
        case Lexer::Symbol:
            return 'y';
        case Lexer::Comment:
            return 'c';
        case Lexer::Url:
            return 'u';
        default:
            return '?';
    }
}

QString letters(const std::vector<char>& styles) {
    QString result;
    for (char style : styles) {
        result += QLatin1Char(styleLetter(style));
    }
    return result;
}

/// The style letters the pane holds for line `line`, line end included.
QString paneLetters(TScriptEditor& pane, int line) {
    const long start = pane.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    long end = pane.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
    if (end < start) {
        end = pane.SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    }
    QString result;
    for (long position = start; position < end; ++position) {
        result += QLatin1Char(styleLetter(
            static_cast<int>(pane.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position))));
    }
    return result;
}

/// Lets the pane colour what is not coloured yet, the way painting does: from the first position
/// that is not coloured, not from the top (which would hide a lost line state).
void colourRest(TScriptEditor& pane) {
    const long endStyled = pane.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    pane.SendScintilla(QsciScintillaBase::SCI_COLOURISE, static_cast<unsigned long>(endStyled),
                       -1L);
}

}  // namespace

class TPascalLexerTest : public QObject {
    Q_OBJECT

private slots:
    void identity() {
        Lexer lexer;
        QCOMPARE(QByteArray(lexer.language()), QByteArray("Pascal"));
    }

    void styleLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("startState");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("endState");
        const int normal = Lexer::Normal;
        const int brace = Lexer::InBraceComment;
        const int paren = Lexer::InParenComment;
        QTest::newRow("keyword") << QByteArray("begin") << normal << "kkkkk" << normal;
        QTest::newRow("keyword in mixed case, symbols, number")
            << QByteArray("BeGiN x:=1;") << normal << "kkkkkydyyny" << normal;
        QTest::newRow("keyword only as whole word")
            << QByteArray("beginning endx") << normal << "dddddddddydddd" << normal;
        QTest::newRow("single and double quoted strings")
            << QByteArray("'it''s' + \"q\"") << normal << "sssssssydysss" << normal;
        QTest::newRow("unterminated string stops at line end")
            << QByteArray("'open\r\n") << normal << "sssssyy" << normal;
        QTest::newRow("hex and decimal numbers")
            << QByteArray("x := $1F + 10;") << normal << "dyyyynnnydynny" << normal;
        QTest::newRow("lone dollar is no number") << QByteArray("$ x") << normal << "dyd" << normal;
        QTest::newRow("digits inside a name")
            << QByteArray("Panel1 1ab") << normal << "ddddddyndd" << normal;
        QTest::newRow("character codes") << QByteArray("#13#10") << normal << "ynnynn" << normal;
        QTest::newRow("every symbol")
            << QByteArray(" ,;:.()[]=-*/^%<>#") << normal << "yyyyyyyyyyyyyyyyyy" << normal;
        QTest::newRow("line comment")
            << QByteArray("a // b {c}") << normal << "dycccccccc" << normal;
        QTest::newRow("brace comment opens")
            << QByteArray("x { open") << normal << "dycccccc" << brace;
        QTest::newRow("brace comment goes on") << QByteArray("more\n") << brace << "ccccc" << brace;
        QTest::newRow("brace comment closes")
            << QByteArray("still } end") << brace << "cccccccykkk" << normal;
        QTest::newRow("paren comment on one line")
            << QByteArray("(* a *) b") << normal << "cccccccyd" << normal;
        QTest::newRow("paren comment opens")
            << QByteArray("(* a } b") << normal << "cccccccc" << paren;
        QTest::newRow("paren comment closes")
            << QByteArray("x *) do") << paren << "ccccykk" << normal;
        QTest::newRow("brace closes before star paren")
            << QByteArray("{ (* }*)") << normal << "ccccccyy" << normal;
        QTest::newRow("comment opener inside string")
            << QByteArray("'{ no (* //'") << normal << "ssssssssssss" << normal;
        QTest::newRow("quote inside comment")
            << QByteArray("{ it's }x") << normal << "ccccccccd" << normal;
        QTest::newRow("web address") << QByteArray("see http://www.x.org/a.") << normal
                                     << "dddyuuuuuuuuuuuuuuuuuuy" << normal;
        QTest::newRow("web address in a comment")
            << QByteArray("// visit www.site.com now") << normal << "cccccccccuuuuuuuuuuuucccc"
            << normal;
        QTest::newRow("web address in a string")
            << QByteArray("'https://a.b/c'") << normal << "suuuuuuuuuuuuus" << normal;
        QTest::newRow("no address inside a word")
            << QByteArray("xwww.a") << normal << "ddddyd" << normal;
        QTest::newRow("line end is a symbol")
            << QByteArray("end;\r\n") << normal << "kkkyyy" << normal;
        QTest::newRow("8-bit letters belong to words")
            << QByteArray("caf\xe9 \x80x") << normal << "ddddydd" << normal;
    }

    void styleLine() {
        QFETCH(QByteArray, text);
        QFETCH(int, startState);
        QFETCH(QString, expected);
        QFETCH(int, endState);
        std::vector<char> styles;
        const Lexer::LineState state = Lexer::styleLine(
            std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
            static_cast<Lexer::LineState>(startState), styles);
        QCOMPARE(letters(styles), expected);
        QCOMPARE(static_cast<int>(state), endState);
    }

    void everyKeywordInAnyCase() {
        const auto& keywords = Lexer::keywordList();
        QCOMPARE(keywords.size(), std::size_t{51});
        QCOMPARE(std::set<std::string_view>(keywords.begin(), keywords.end()).size(),
                 std::size_t{49});
        for (std::string_view keyword : keywords) {
            std::string upper(keyword);
            for (char& c : upper) {
                c = static_cast<char>(c - 'a' + 'A');
            }
            for (const std::string& word : {std::string(keyword), upper}) {
                std::vector<char> styles;
                Lexer::styleLine(word, Lexer::Normal, styles);
                QVERIFY2(
                    letters(styles) == QString(static_cast<int>(word.size()), QLatin1Char('k')),
                    word.c_str());
            }
        }
        QVERIFY(!Lexer::isKeyword("begins"));
        QVERIFY(!Lexer::isKeyword("ShowMessage"));
    }

    void paneColoursCommentsAcrossLinesAndFollowsEdits() {
        TScriptEditor pane;
        pane.setLines({"begin", "{ open", "still }", "end."});
        colourRest(pane);
        QCOMPARE(paneLetters(pane, 0), QStringLiteral("kkkkky"));
        QCOMPARE(paneLetters(pane, 1), QStringLiteral("ccccccc"));
        QCOMPARE(paneLetters(pane, 2), QStringLiteral("ccccccc") + "y");
        QCOMPARE(paneLetters(pane, 3), QStringLiteral("kkky"));

        // Removing the opening brace must re-colour the lines after it, not just its own line.
        const long brace = pane.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 1);
        pane.SendScintilla(QsciScintillaBase::SCI_DELETERANGE, static_cast<unsigned long>(brace),
                           1L);
        colourRest(pane);
        QCOMPARE(paneLetters(pane, 1), QStringLiteral("yddddy"));
        QCOMPARE(paneLetters(pane, 2), QStringLiteral("dddddyd") + "y");
        QCOMPARE(paneLetters(pane, 3), QStringLiteral("kkky"));

        // A "(*" typed at the top turns everything after it into a comment.
        pane.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, 0UL, "(*");
        colourRest(pane);
        QCOMPARE(paneLetters(pane, 3), QStringLiteral("cccc"));
    }

    void editInsideACommentKeepsItAComment() {
        TScriptEditor pane;
        pane.setLines({"{ open", "middle", "end }", "begin"});
        colourRest(pane);
        QCOMPARE(paneLetters(pane, 2), QStringLiteral("cccccy"));
        // Re-colouring starts at the edited line, which must know it starts inside the comment.
        const long third = pane.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 2);
        pane.SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(third),
                           "do ");
        colourRest(pane);
        QCOMPARE(paneLetters(pane, 2), QStringLiteral("ccccccccy"));
        QCOMPARE(paneLetters(pane, 3), QStringLiteral("kkkkk"));
    }

    void bytesWithoutGlyphKeepTheirContextStyle() {
        TScriptEditor pane;
        pane.setLines({std::string("'a\x80\x01' // \x93")});
        colourRest(pane);
        const auto styleAt = [&pane](long position) {
            return static_cast<int>(
                pane.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position));
        };
        QCOMPARE(styleAt(1), static_cast<int>(Lexer::String));
        QCOMPARE(styleAt(2), Lexer::String + Lexer::kSpecialOffset);
        QCOMPARE(styleAt(3), Lexer::String + Lexer::kSpecialOffset);
        QCOMPARE(styleAt(9), Lexer::Comment + Lexer::kSpecialOffset);
    }

    void styleLook() {
        TScriptEditor pane;
        auto send = [&pane](unsigned int message, int style) {
            return pane.SendScintilla(message, static_cast<unsigned long>(style));
        };
        // Colours come back as 0xBBGGRR.
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Default), 0x000000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Keyword), 0x000000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::String), 0x800000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Number), 0x800000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Symbol), 0x000080L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Comment), 0x008000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETFORE, Lexer::Url), 0xFF0000L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETBACK, Lexer::Url), 0xFFFFFFL);
        QCOMPARE(qAbs(send(QsciScintillaBase::SCI_STYLEGETWEIGHT, Lexer::Keyword)), 700L);
        QCOMPARE(qAbs(send(QsciScintillaBase::SCI_STYLEGETWEIGHT, Lexer::Default)), 400L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETSIZE, Lexer::Keyword), 8L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETSIZE, Lexer::Default), 10L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETITALIC, Lexer::Comment), 1L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETITALIC, Lexer::String), 0L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETUNDERLINE, Lexer::Url), 1L);
        QCOMPARE(send(QsciScintillaBase::SCI_STYLEGETUNDERLINE, Lexer::Comment), 0L);
        char family[64] = {};
        pane.SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT, static_cast<unsigned long>(0),
                           static_cast<void*>(family));
        QCOMPARE(QString::fromLatin1(family).toLower(), QStringLiteral("courier new"));
    }

    void descriptionsOnlyForUsedStyles() {
        Lexer lexer;
        for (int style = 0; style < 32; ++style) {
            const bool used = style <= Lexer::Url || (style >= Lexer::kSpecialOffset &&
                                                      style <= Lexer::Url + Lexer::kSpecialOffset);
            QVERIFY2(lexer.description(style).isEmpty() != used,
                     qPrintable(QString::number(style)));
        }
    }

    void typingHelp() {
        TScriptEditor pane;
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.setFocus();
        QTest::keyClicks(&pane, "Sho");
        QVERIFY(pane.isListActive());
        QTest::keyClick(&pane, Qt::Key_Return);
        QCOMPARE(pane.lines(), std::vector<std::string>{"ShowMessage"});
        QVERIFY(!pane.SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE));
        QTest::keyClicks(&pane, "(");
        QVERIFY(pane.SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE));
        QTest::keyClicks(&pane, "'hi')");
        QVERIFY(!pane.SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE));

        pane.clearLines();
        QTest::keyClicks(&pane, "Foo(");
        QVERIFY(!pane.SendScintilla(QsciScintillaBase::SCI_CALLTIPACTIVE));
        QCOMPARE(Lexer::parameterHint(QStringLiteral("messagedlg")),
                 QStringLiteral("MessageDlg(const Msg: string; DlgType: TMsgDlgType; Buttons: "
                                "TMsgDlgButtons; HelpCtx: Longint): Integer);"));
        QCOMPARE(Lexer::parameterHint(QStringLiteral("ShowMessage")),
                 QStringLiteral("ShowMessage(const Msg: string);"));
    }
};

QTEST_MAIN(TPascalLexerTest)
#include "TPascalLexerTest.moc"
