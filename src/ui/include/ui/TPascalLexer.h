#pragma once

#include <Qsci/qscilexercustom.h>

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <string_view>
#include <vector>

/// The "Pascal" styler of the script panes: keywords, strings, numbers, symbols, the three comment
/// forms (the two bracketed ones may span lines) and web addresses. It also supplies the typing
/// help of the panes: the completion words and their parameter hints.
class TPascalLexer : public QsciLexerCustom {
    Q_OBJECT

public:
    enum Style {
        Default = 0,
        Keyword = 1,
        String = 2,
        Number = 3,
        Symbol = 4,
        Comment = 5,
        Url = 6,
    };

    /// A byte without a glyph of its own (a control character or one of 0x7F to 0x9F) gets the
    /// style of its context plus this offset. Those styles draw nothing (white on white); the
    /// pane paints the byte's character on top in the context style's colour.
    static constexpr int kSpecialOffset = 8;

    /// True for the bytes that the pane draws itself (see kSpecialOffset).
    static bool isSpecialByte(unsigned char byte);

    /// The context style of `style` (removes kSpecialOffset).
    static int baseStyle(int style) {
        return style >= kSpecialOffset ? style - kSpecialOffset : style;
    }

    /// Where a line starts or ends: outside comments, or inside an open `{` or `(*` comment.
    enum LineState { Normal = 0, InBraceComment = 1, InParenComment = 2 };

    explicit TPascalLexer(QObject* parent = nullptr);

    const char* language() const override;
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    QColor defaultPaper(int style) const override;
    const char* wordCharacters() const override;
    bool caseSensitive() const override { return false; }

    void styleText(int start, int end) override;

    /// The keyword list as the colouring uses it (51 entries; "class" and "program" are listed
    /// twice).
    static const std::vector<std::string_view>& keywordList();

    /// True when `word` is a keyword, in any letter case.
    static bool isKeyword(std::string_view word);

    /// Styles one line of 8-bit text (`text` may end with its CR/LF) that starts in `state`.
    /// Writes one style per byte into `styles` and returns the state at the line's end.
    static LineState styleLine(std::string_view text, LineState state, std::vector<char>& styles);

    /// The words the completion list offers, sorted.
    static QStringList completionWords();

    /// The parameter hint for `function` (any letter case), or an empty string.
    static QString parameterHint(const QString& function);

private:
    // The name of one of the styles above, as the tooltips and settings show it; empty for none.
    static QString styleName(int style);
};
