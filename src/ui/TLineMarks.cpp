#include "ui/TLineMarks.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

#include <memory>

#include "ui/Look.h"
#include "ui/TScriptEditor.h"

namespace {

constexpr int kMargin = 1;
// The letter's cell is this much wider than the letter.
constexpr int kPadding = 2;

}  // namespace

TLineMarks::TLineMarks(TScriptEditor& pane) : QObject(&pane), pane_(pane) {
    pane_.setMarginType(kMargin, QsciScintilla::SymbolMarginColor);
    pane_.setMarginBackgroundColor(kMargin, look::kMarginGrey);
    pane_.setMarginWidth(kMargin, 0);
    pane_.setMarginMarkerMask(kMargin, 0);
    pane_.setMarginSensitivity(kMargin, true);
    connect(&pane_, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int linesAdded, int, int, int,
                   int, int) { onModified(position, type, length, linesAdded); });
    connect(&pane_, &TScriptEditor::viewportPainted, this, &TLineMarks::paint);
    // Marks stand on lines of a content; a new content has none of them.
    connect(&pane_, &TScriptEditor::contentReplaced, this, &TLineMarks::clear);
    pane_.installEventFilter(this);
    viewport_ = pane_.viewport();
    viewport_->installEventFilter(this);
}

void TLineMarks::clear() {
    set({}, nullptr);
}

void TLineMarks::set(Marks marks, TipSource tips) {
    marks_ = std::move(marks);
    tips_ = std::move(tips);
    pendingJoin_.reset();
    std::vector<int> lines;
    lines.reserve(marks_.size());
    shown_ = 0;
    warnings_ = 0;
    for (const Mark& mark : marks_) {
        lines.push_back(mark.line);
        shown_ += mark.symbol != 0 ? 1 : 0;
        warnings_ += mark.symbol != 0 && mark.warning ? 1 : 0;
    }
    lines_.reset(std::move(lines));
    const QFontMetrics metrics(look::marginFont());
    pane_.setMarginWidth(kMargin,
                         shown_ == 0 ? 0 : metrics.horizontalAdvance(QLatin1Char('W')) + kPadding);
    viewport_->update();
}

bool TLineMarks::onlyBlanks(long from, long to) const {
    if (to <= from) {
        return true;
    }
    std::string text(static_cast<std::size_t>(to - from) + 1, '\0');
    pane_.SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, from, to, text.data());
    text.resize(static_cast<std::size_t>(to - from));
    return text.find_first_not_of(' ') == std::string::npos;
}

void TLineMarks::onModified(int position, int type, int length, int linesAdded) {
    if (lines_.size() == 0) {
        return;
    }
    const auto lineOfPosition = [this](long at) {
        return static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, at));
    };
    const auto lineStart = [this](int line) {
        return pane_.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    };
    if ((type & QsciScintillaBase::SC_MOD_BEFOREDELETE) != 0) {
        // The lines are joined once the text is gone; what stays of each is known only now.
        const long end = static_cast<long>(position) + length;
        const int first = lineOfPosition(position);
        const int last = lineOfPosition(end);
        pendingJoin_.reset();
        if (first != last) {
            const long lastEnd =
                pane_.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, last);
            pendingJoin_ = Join{first, last, !onlyBlanks(lineStart(first), position),
                                end == lineStart(last) || !onlyBlanks(end, lastEnd)};
        }
        return;
    }
    if ((type & QsciScintillaBase::SC_MOD_DELETETEXT) != 0 && pendingJoin_) {
        const Join join = *pendingJoin_;
        pendingJoin_.reset();
        lines_.linesJoined(join.first, join.last, join.firstKeeps, join.lastKeeps);
        emit linesMoved();
        viewport_->update();
        return;
    }
    if ((type & QsciScintillaBase::SC_MOD_INSERTTEXT) != 0 && linesAdded > 0) {
        const int line = lineOfPosition(position);
        lines_.linesInserted(line, linesAdded, onlyBlanks(lineStart(line), position));
        emit linesMoved();
        viewport_->update();
    }
}

void TLineMarks::restyle(std::size_t index, const Mark& mark) {
    if (index >= marks_.size()) {
        return;
    }
    Mark& kept = marks_[index];
    warnings_ -= kept.symbol != 0 && kept.warning ? 1 : 0;
    shown_ -= kept.symbol != 0 ? 1 : 0;
    kept.symbol = mark.symbol;
    kept.colour = mark.colour;
    kept.warning = mark.warning;
    warnings_ += kept.symbol != 0 && kept.warning ? 1 : 0;
    shown_ += kept.symbol != 0 ? 1 : 0;
    viewport_->update();
}

QString TLineMarks::tipAt(int line) const {
    QStringList tips;
    if (shown_ == 0 || !tips_ || line < 0) {
        return {};
    }
    for (std::size_t item : lines_.itemsOn(line)) {
        if (marks_[item].symbol != 0) {
            tips << tips_(item);
        }
    }
    return tips.join(QLatin1Char('\n'));
}

int TLineMarks::nextMarkedLine(int line, bool forward, bool warningsOnly) const {
    return lines_.nextLine(line, forward, [this, warningsOnly](std::size_t item) {
        return marks_[item].symbol != 0 && (marks_[item].warning || !warningsOnly);
    });
}

void TLineMarks::goToNext(bool forward, bool anyMark) {
    int line = 0;
    int index = 0;
    pane_.getCursorPosition(&line, &index);
    const int target = nextMarkedLine(line, forward, hasWarnings() && !anyMark);
    if (target >= 0) {
        pane_.setCursorPosition(target, 0);
        pane_.ensureLineVisible(target);
    }
}

QString TLineMarks::legendText() const {
    QStringList lines;
    for (const auto& [symbol, meaning] : legend_) {
        lines << QStringLiteral("%1  %2").arg(QString(QLatin1Char(symbol)), meaning);
    }
    return lines.join(QLatin1Char('\n'));
}

std::pair<int, int> TLineMarks::marginSpan() const {
    return {pane_.marginWidth(0), pane_.marginWidth(kMargin)};
}

int TLineMarks::lineAt(int y) const {
    const int textLeft = pane_.marginWidth(0) + pane_.marginWidth(kMargin) + pane_.marginWidth(2);
    const long position =
        pane_.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINT,
                            static_cast<unsigned long>(textLeft), static_cast<long>(y));
    return static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                                static_cast<unsigned long>(position)));
}

void TLineMarks::paint(QPainter& painter) {
    if (shown_ == 0) {
        return;
    }
    const auto [left, width] = marginSpan();
    const long firstVisible = pane_.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    const int first = static_cast<int>(
        pane_.SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, firstVisible));
    const int last =
        first + static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN)) + 1;
    const int lineHeight =
        static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0UL));
    const QFont font = look::marginFont();
    const QFontMetrics metrics(font);
    const int baseline = pane_.textBaseline();
    painter.setFont(font);
    for (int line = first; line <= last; ++line) {
        // A line's warning is drawn rather than its other marks.
        const Mark* shown = nullptr;
        for (std::size_t item : lines_.itemsOn(line)) {
            const Mark& mark = marks_[item];
            if (mark.symbol != 0 && (shown == nullptr || (mark.warning && !shown->warning))) {
                shown = &mark;
            }
        }
        if (shown == nullptr) {
            continue;
        }
        const int y = static_cast<int>(pane_.SendScintilla(
            QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL,
            pane_.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line)));
        const QString letter(QLatin1Char(shown->symbol));
        painter.fillRect(QRect(left, y, width, lineHeight),
                         shown->warning ? look::kWarningAmber : look::kMarginGrey);
        painter.setPen(QColor(shown->colour));
        painter.drawText(
            QPoint(left + (width - metrics.horizontalAdvance(letter)) / 2, y + baseline), letter);
    }
}

void TLineMarks::addMarkActions(QMenu& menu, int line) {
    const auto go = [this, line, &menu](const QString& text, bool forward, bool anyMark) {
        connect(menu.addAction(text), &QAction::triggered, this, [this, line, forward, anyMark] {
            pane_.setCursorPosition(line, 0);
            goToNext(forward, anyMark);
        });
    };
    if (hasWarnings()) {
        go(tr("Next warning\tF8"), true, false);
        go(tr("Previous warning\tShift+F8"), false, false);
        go(tr("Next mark\tCtrl+F8"), true, true);
        go(tr("Previous mark\tCtrl+Shift+F8"), false, true);
    } else {
        go(tr("Next mark\tF8"), true, false);
        go(tr("Previous mark\tShift+F8"), false, false);
    }
    QMenu* meanings = menu.addMenu(tr("What the marks mean"));
    for (const auto& [symbol, meaning] : legend_) {
        meanings->addAction(QStringLiteral("%1   %2").arg(QString(QLatin1Char(symbol)), meaning));
    }
}

bool TLineMarks::showContextMenu(const QPoint& local, const QPoint& global, bool byMouse) {
    if (shown_ == 0) {
        return false;
    }
    const auto [left, width] = marginSpan();
    const bool inMargin = local.x() >= left && local.x() < left + width;
    // In the text, the editor's own menu with the marks' actions after it, which start from the
    // caret as F8 does; in the margin, the marks' actions from the line clicked. The added actions
    // are for the line under the pointer, or the caret's when the keyboard opened the menu.
    std::unique_ptr<QMenu> menu(inMargin ? new QMenu(&pane_) : pane_.createStandardContextMenu());
    const int pointed = lineAt(local.y());
    int line = pointed;
    if (!inMargin) {
        menu->addSeparator();
        int index = 0;
        pane_.getCursorPosition(&line, &index);
    }
    addMarkActions(*menu, line);
    if (extension_) {
        extension_(*menu, byMouse ? pointed : line);
    }
    menu->exec(global);
    return true;
}

bool TLineMarks::showTip(const QPoint& local, const QPoint& global) {
    const auto [left, width] = marginSpan();
    if (shown_ == 0 || local.x() < left || local.x() >= left + width) {
        return false;
    }
    QString tip = tipAt(lineAt(local.y()));
    if (tip.isEmpty()) {
        tip = tr("These letters show what the conversion did with each line:\n%1\n"
                 "F8 and Shift+F8 go to the next and the previous mark; right-click for more.")
                  .arg(legendText());
    }
    QToolTip::showText(global, tip, viewport_);
    return true;
}

bool TLineMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &pane_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_F8 &&
            (modifiers & ~(Qt::ShiftModifier | Qt::ControlModifier)) == Qt::NoModifier) {
            goToNext((modifiers & Qt::ShiftModifier) == 0, (modifiers & Qt::ControlModifier) != 0);
            return true;
        }
    } else if (watched == viewport_ && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        return showTip(help->pos(), help->globalPos()) || QObject::eventFilter(watched, event);
    } else if (event->type() == QEvent::ContextMenu &&
               (watched == viewport_ || watched == &pane_)) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        const QPoint local =
            watched == viewport_ ? menu->pos() : viewport_->mapFrom(&pane_, menu->pos());
        return showContextMenu(local, menu->globalPos(),
                               menu->reason() == QContextMenuEvent::Mouse) ||
               QObject::eventFilter(watched, event);
    }
    return QObject::eventFilter(watched, event);
}
