#include "ui/TInspectorBarKeys.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include "ui/TCommandBar.h"

TInspectorBarKeys::TInspectorBarKeys(TCommandBar& bar, QWidget* start)
    : QObject(&bar), bar_(bar), start_(start) {
    if (start_ != nullptr) {
        start_->installEventFilter(this);
    }
    QAbstractButton* previous = nullptr;
    for (QAbstractButton* button : buttons()) {
        // From the keyboard only: a click must not take the focus from the field being edited.
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(this);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, button);
        }
        previous = button;
    }
}

QList<QAbstractButton*> TInspectorBarKeys::buttons() const {
    const QList<QAbstractButton*> captions = bar_.captions();
    QList<QAbstractButton*> result;
    for (int group = 0; group < bar_.count() && group < captions.size(); ++group) {
        result.append(captions[group]);
        result.append(bar_.widget(group)->findChildren<QAbstractButton*>());
    }
    return result;
}

void TInspectorBarKeys::moveFocus(QAbstractButton* from, bool down) const {
    const QList<QAbstractButton*> all = buttons();
    const qsizetype step = down ? 1 : -1;
    // From outside the bar (`from` is null) the search starts at the top.
    for (qsizetype i = all.indexOf(from) + step; i >= 0 && i < all.size(); i += step) {
        if (all[i]->isVisible() && all[i]->isEnabled()) {
            all[i]->setFocus(down ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool TInspectorBarKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    if (watched == start_) {
        if (key->key() != Qt::Key_Tab || !start_->hasFocus()) {
            return false;
        }
        moveFocus(nullptr, true);
        return true;
    }
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
        case Qt::Key_Down:
        case Qt::Key_Right:
            moveFocus(button, key->key() == Qt::Key_Down || key->key() == Qt::Key_Right);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            button->click();
            return true;
        default:
            return false;  // Space: the button's own press and release
    }
}
