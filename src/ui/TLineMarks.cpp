#include "ui/TLineMarks.h"

#include <Qsci/qsciscintilla.h>

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolTip>

namespace {

constexpr int kMargin = 1;
// Marker numbers 1 to 24: 0 is left alone and 25 to 31 belong to code folding.
constexpr int kFirstMarker = 1;
constexpr int kLastMarker = 24;

}  // namespace

TLineMarks::TLineMarks(QsciScintilla& pane) : QObject(&pane), pane_(pane) {
    pane_.setMarginType(kMargin, QsciScintilla::SymbolMargin);
    pane_.setMarginWidth(kMargin, 0);
    pane_.setMarginMarkerMask(kMargin, 0);
    pane_.setMarginSensitivity(kMargin, true);
    // Each mark's tooltip is found through a hidden annotation on its line, which the editor
    // moves with the line as the text is edited, as it moves the marker.
    pane_.SendScintilla(QsciScintillaBase::SCI_ANNOTATIONSETVISIBLE,
                        QsciScintillaBase::ANNOTATION_HIDDEN);
    connect(&pane_, &QsciScintilla::marginRightClicked, this,
            [this](int margin, int line, Qt::KeyboardModifiers) {
                if (margin == kMargin) {
                    showMenu(line);
                }
            });
    pane_.installEventFilter(this);
    viewport_ = pane_.viewport();
    viewport_->installEventFilter(this);
}

int TLineMarks::markerFor(char symbol, const QColor& colour) {
    const auto key = std::make_pair(symbol, colour.rgb());
    if (const auto found = markers_.find(key); found != markers_.end()) {
        return found->second;
    }
    const int number = kFirstMarker + static_cast<int>(markers_.size());
    if (number > kLastMarker) {
        return -1;
    }
    pane_.markerDefine(symbol, number);
    pane_.setMarkerForegroundColor(colour, number);
    markers_.emplace(key, number);
    pane_.setMarginMarkerMask(kMargin, markerMask());
    return number;
}

int TLineMarks::markerMask() const {
    int mask = 0;
    for (const auto& [key, number] : markers_) {
        mask |= 1 << number;
    }
    return mask;
}

void TLineMarks::clear() {
    if (count_ == 0) {
        return;
    }
    const QSignalBlocker quiet(pane_);
    pane_.SendScintilla(QsciScintillaBase::SCI_MARKERDELETEALL, -1);
    pane_.SendScintilla(QsciScintillaBase::SCI_ANNOTATIONCLEARALL);
    tips_ = nullptr;
    count_ = 0;
    pane_.setMarginWidth(kMargin, 0);
}

void TLineMarks::set(const std::vector<Mark>& marks, TipSource tips) {
    clear();
    if (marks.empty()) {
        return;
    }
    tips_ = std::move(tips);
    count_ = marks.size();
    // Each mark would tell the pane's listeners of a change; none of them needs to know.
    const QSignalBlocker quiet(pane_);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const int marker = markerFor(marks[i].symbol, marks[i].colour);
        if (marker < 0) {
            continue;
        }
        pane_.markerAdd(marks[i].line, marker);
        const QByteArray key = QByteArray::number(static_cast<qulonglong>(i));
        pane_.SendScintilla(QsciScintillaBase::SCI_ANNOTATIONSETTEXT, marks[i].line,
                            key.constData());
    }
    // Exactly one letter of the text's default style wide, in which the marks are drawn: the
    // editor clips a letter in a wider margin.
    const long letter = pane_.SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                            QsciScintillaBase::STYLE_DEFAULT, "W");
    pane_.setMarginWidth(kMargin, static_cast<int>(letter));
}

QString TLineMarks::tipAt(int line) const {
    if (count_ == 0 || line < 0 || (pane_.markersAtLine(line) & markerMask()) == 0) {
        return {};
    }
    const long length = pane_.SendScintilla(QsciScintillaBase::SCI_ANNOTATIONGETTEXT, line,
                                            static_cast<const char*>(nullptr));
    QByteArray key(static_cast<int>(length) + 1, '\0');
    pane_.SendScintilla(QsciScintillaBase::SCI_ANNOTATIONGETTEXT, line, key.data());
    key.resize(static_cast<int>(length));
    bool ok = false;
    const qulonglong index = key.toULongLong(&ok);
    return ok && index < count_ && tips_ ? tips_(index) : QString();
}

int TLineMarks::nextMarkedLine(int line, bool forward) const {
    const int mask = markerMask();
    if (count_ == 0 || mask == 0) {
        return -1;
    }
    const int last = pane_.lines() - 1;
    int found =
        forward ? pane_.markerFindNext(line + 1, mask) : pane_.markerFindPrevious(line - 1, mask);
    if (found < 0) {
        // Round the end of the text.
        found = forward ? pane_.markerFindNext(0, mask) : pane_.markerFindPrevious(last, mask);
    }
    return found;
}

void TLineMarks::goToNext(bool forward) {
    int line = 0;
    int index = 0;
    pane_.getCursorPosition(&line, &index);
    const int target = nextMarkedLine(line, forward);
    if (target >= 0) {
        pane_.setCursorPosition(target, 0);
        pane_.ensureLineVisible(target);
    }
}

void TLineMarks::showMenu(int line) {
    QMenu menu(&pane_);
    QAction* next = menu.addAction(tr("Next mark\tF8"));
    QAction* previous = menu.addAction(tr("Previous mark\tShift+F8"));
    next->setEnabled(count_ != 0);
    previous->setEnabled(count_ != 0);
    pane_.setCursorPosition(line, 0);
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen == next || chosen == previous) {
        goToNext(chosen == next);
    }
}

bool TLineMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &pane_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_F8 &&
            (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
            goToNext(modifiers == Qt::NoModifier);
            return true;
        }
    } else if (watched == viewport_ && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int left = pane_.marginWidth(0);
        const int x = help->pos().x();
        if (count_ != 0 && x >= left && x < left + pane_.marginWidth(kMargin)) {
            const int textLeft = left + pane_.marginWidth(kMargin) + pane_.marginWidth(2);
            const long position = pane_.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINT,
                                                      static_cast<unsigned long>(textLeft),
                                                      static_cast<long>(help->pos().y()));
            const int line = static_cast<int>(pane_.SendScintilla(
                QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
            const QString tip = tipAt(line);
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, viewport_);
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
