#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "ui/TrackedLines.h"

class QMenu;
class QPainter;
class QWidget;
class TScriptEditor;

/// Marks in a script pane's margin, beside the line numbers: a letter on a line, with a tooltip in
/// words. A mark follows its line as the pane is edited and goes with it when the line is deleted.
/// F8 and Shift+F8 in the pane, and the context menus of the margin and of the text, move the
/// caret to the next and the previous warning, or marked line when there are no warnings;
/// Ctrl+F8 and Ctrl+Shift+F8 to any mark. The menus also explain every letter. The margin takes
/// no room while there are no marks.
class TLineMarks : public QObject {
    Q_OBJECT

public:
    struct Mark {
        int line;              ///< 0-based
        char symbol;           ///< the letter shown; 0 for a line that is only followed, not marked
        QRgb colour;           ///< of the letter
        bool warning = false;  ///< a warning: drawn as a letter on amber, visited first by F8
    };
    /// A list of marks, which grows without copying what it holds.
    using Marks = std::deque<Mark>;
    /// The tooltip of mark `index` (its place in the list given to set()), made when it is shown.
    using TipSource = std::function<QString(std::size_t index)>;
    /// Each letter marks may show, with what it means.
    using Legend = std::vector<std::pair<char, QString>>;

    /// Marks for `pane`, which owns them.
    explicit TLineMarks(TScriptEditor& pane);

    /// Replaces every mark by `marks`, whose tooltips `tips` makes.
    void set(Marks marks, TipSource tips);
    void clear();
    bool isEmpty() const { return shown_ == 0; }

    /// What the letters mean, for the menus and the margin's tooltip.
    void setLegend(Legend legend) { legend_ = std::move(legend); }

    /// Adds actions for `line` (the line clicked in the margin, or the caret's line) to the
    /// context menus, after the marks' own.
    using MenuExtension = std::function<void(QMenu& menu, int line)>;
    void setMenuExtension(MenuExtension extension) { extension_ = std::move(extension); }

    /// Gives mark `index` the look of `mark` (its line stays where the mark stands now).
    void restyle(std::size_t index, const Mark& mark);

    /// The marks on `line`, by their place in the list given to set().
    std::vector<std::size_t> marksOn(int line) const { return lines_.itemsOn(line); }

    /// The tooltips of the marks now on `line`, one a line; empty when it has none.
    QString tipAt(int line) const;

    /// The line mark `index` stands on now; -1 once its line was deleted.
    int lineOf(std::size_t index) const { return lines_.lineOf(index); }

    /// The first marked line after `line` (forward) or before it, wrapping round, among the
    /// warnings only when `warningsOnly`; -1 when there is none.
    int nextMarkedLine(int line, bool forward, bool warningsOnly = false) const;

    /// True when a mark is a warning.
    bool hasWarnings() const { return warnings_ != 0; }

    /// Moves the caret to the next (or previous) warning, or marked line when there are no
    /// warnings or `anyMark`, and shows it.
    void goToNext(bool forward, bool anyMark = false);

    /// The margin's legend as text, a letter and its meaning a line.
    QString legendText() const;

signals:
    /// Lines were inserted or deleted, so that marks may stand on other lines now.
    void linesMoved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onModified(int position, int type, int length, int linesAdded);
    bool onlyBlanks(long from, long to) const;
    void paint(QPainter& painter);
    /// The margin's left edge and width, in the viewport.
    std::pair<int, int> marginSpan() const;
    void addMarkActions(QMenu& menu, int line);
    bool showContextMenu(const QPoint& local, const QPoint& global, bool byMouse);
    bool showTip(const QPoint& local, const QPoint& global);
    int lineAt(int y) const;

    TScriptEditor& pane_;
    QWidget* viewport_;  // the pane's, kept so that events in its destruction need no call
    Marks marks_;
    TrackedLines lines_;
    TipSource tips_;
    Legend legend_;
    MenuExtension extension_;
    std::size_t shown_ = 0;     // marks with a letter
    std::size_t warnings_ = 0;  // of them, warnings
    // A deletion that joins lines, seen before it happens: (first, last, first keeps text, last
    // keeps text).
    struct Join {
        int first;
        int last;
        bool firstKeeps;
        bool lastKeeps;
    };
    std::optional<Join> pendingJoin_;
};
