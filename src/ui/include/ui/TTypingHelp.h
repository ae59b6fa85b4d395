#pragma once

#include <Qsci/qsciabstractapis.h>

#include <QString>

#include <functional>
#include <string>

class QsciScintilla;

/// The typing help of a script pane, given through the editor's own completion mechanism: the
/// completion list of the known functions ("ShowMessage", "MessageDlg"), offered once three letters
/// of one are typed (any letter case) or on request; and, when "(" is typed after one of them, its
/// parameter hint below the line, black on pale yellow, kept inside the window and the screen:
/// moved left along the line, and broken after its semicolons when it is still too wide. ")" hides
/// the hint.
class TTypingHelp : public QsciAbstractAPIs {
    Q_OBJECT

public:
    /// The typing help of `pane`, whose lexer is `lexer` (which owns it).
    TTypingHelp(QsciScintilla& pane, QsciLexer& lexer);

    /// Shows the completion list for the word before the caret.
    void showCompletions();

    void updateAutoCompletionList(const QStringList& context, QStringList& list) override;
    QStringList callTips(const QStringList& context, int commas, QsciScintilla::CallTipsStyle style,
                         QList<int>& shifts) override;

    /// `hint` broken after its semicolons into lines (joined by "\n") of at most `maxWidth` as
    /// `width` measures them; a piece wider than that on its own stays whole. The later lines
    /// stand under the first parameter where they still fit, else at the left.
    static QString brokenHint(const QString& hint, int maxWidth,
                              const std::function<int(const QString&)>& width);

private:
    void onCharAdded(int character);
    /// Shows `hint` for the function whose name starts at `functionStart`.
    void showParameterHint(long functionStart, const QString& hint);
    std::string wordBeforePosition(long position) const;

    QsciScintilla& pane_;
};
