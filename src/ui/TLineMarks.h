#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QsciScintilla;
class QWidget;

/// Marks in a script pane's margin, beside the line numbers: one symbol a line, each with a
/// tooltip in words. The marks move with their lines while the pane is edited. F8 and Shift+F8 in
/// the pane, and the margin's context menu, move the caret to the next and the previous marked
/// line. The margin takes no room while there are no marks.
class TLineMarks : public QObject {
    Q_OBJECT

public:
    struct Mark {
        int line;       ///< 0-based
        char symbol;    ///< the character shown in the margin
        QColor colour;  ///< of the symbol
    };
    /// The tooltip of mark `index` (its place in the list given to set()), made when it is shown.
    using TipSource = std::function<QString(std::size_t index)>;

    /// Marks for `pane`, which owns them.
    explicit TLineMarks(QsciScintilla& pane);

    /// Replaces every mark by `marks` (one mark a line), whose tooltips `tips` makes.
    void set(const std::vector<Mark>& marks, TipSource tips);
    void clear();
    bool isEmpty() const { return count_ == 0; }

    /// The tooltip of the mark now on `line`, empty when it has none.
    QString tipAt(int line) const;

    /// The first marked line after `line` (forward) or before it, wrapping round; -1 without marks.
    int nextMarkedLine(int line, bool forward) const;

    /// Moves the caret to the next (or previous) marked line and shows it.
    void goToNext(bool forward);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int markerFor(char symbol, const QColor& colour);
    int markerMask() const;
    void showMenu(int line);

    QsciScintilla& pane_;
    QWidget* viewport_;  // the pane's, kept so that events in its destruction need no call
    std::map<std::pair<char, QRgb>, int> markers_;  // symbol and colour -> marker number
    TipSource tips_;
    std::size_t count_ = 0;
};
