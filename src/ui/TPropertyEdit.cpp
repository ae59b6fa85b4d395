#include "ui/TPropertyEdit.h"

#include <QFocusEvent>
#include <QPainter>

#include <limits>

#include "ui/Look.h"
#include "ui/TFieldText.h"
#include "ui/TWindows1252Validator.h"

TPropertyEdit::TPropertyEdit(QWidget* parent) : QLineEdit(parent) {
    setFont(look::fieldFont());
    setFrame(false);
    setTextMargins(2, 0, 2, 0);
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(
        new TWindows1252Validator([this](const QString& problem) { refuse(problem); }, this));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base, look::kSilver);
    keepLockedFieldReadable(palette);
    setPalette(palette);
    setBackground(look::kInfoTip);
}

void TPropertyEdit::keepLockedFieldReadable(QPalette& palette) {
    palette.setColor(QPalette::Disabled, QPalette::Text, look::kLockedText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, look::kLockedText);
    for (auto role :
         {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark, QPalette::Shadow}) {
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    }
}

std::string TPropertyEdit::bytes() const {
    return TFieldText::toBytes(text()).value_or(std::string());
}

void TPropertyEdit::setBytes(const std::string& bytes) {
    setText(TFieldText::toText(bytes));
    setCursorPosition(0);
}

void TPropertyEdit::setBackground(const QColor& colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Active, QPalette::Base, colour);
    palette.setColor(QPalette::Inactive, QPalette::Base, colour);
    setPalette(palette);
}

void TPropertyEdit::focusInEvent(QFocusEvent* event) {
    setBackground(look::kWhite);
    QLineEdit::focusInEvent(event);
}

void TPropertyEdit::focusOutEvent(QFocusEvent* event) {
    // The field keeps the keyboard focus while another window or a menu is in front.
    if (!keepsFocusLook(*event)) {
        setBackground(look::kInfoTip);
    }
    QLineEdit::focusOutEvent(event);
}

bool TPropertyEdit::keepsFocusLook(const QFocusEvent& event) {
    return event.reason() == Qt::ActiveWindowFocusReason || event.reason() == Qt::PopupFocusReason;
}

void TPropertyEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TPropertyEdit::refuse(const QString& problem) {
    const QString notice = TFieldText::refusalNotice(problem);
    const QRect caret = cursorRect();
    TFieldText::showRefusal(this, QPoint(caret.left(), height()), notice);
    emit textRefused(notice);
}
