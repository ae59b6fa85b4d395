#include "ui/TInspectorItem.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

constexpr int kIconTop = 4;
constexpr int kCaptionTop = kIconTop + TInspectorItem::kIconSize + 2;

}  // namespace

TInspectorItem::TInspectorItem(QStyle::StandardPixmap icon, const QString& caption, QWidget* parent)
    : QAbstractButton(parent), standardIcon_(icon) {
    setIconSize(QSize(kIconSize, kIconSize));
    setText(caption);
    setAccessibleName(caption.trimmed());
    // From the keyboard only: a click must leave the focus in the field being edited.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFixedHeight(kRowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QIcon TInspectorItem::commandIcon() {
    if (icon().isNull()) {
        setIcon(style()->standardIcon(standardIcon_, nullptr, this));
    }
    return icon();
}

QSize TInspectorItem::sizeHint() const {
    // The bar is of fixed width and the item takes all of it, so the caption's width does not
    // count: measuring it would load the font before the window is first shown.
    return {kIconSize + 8, kRowHeight};
}

void TInspectorItem::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect area = rect();
    if (isDown() || underMouse()) {
        const QColor light = palette().color(QPalette::Window).lighter(isDown() ? 110 : 125);
        painter.setPen(isDown() ? light.darker(160) : light);
        painter.drawRect(area.adjusted(2, 1, -3, -2));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = area.adjusted(4, 3, -5, -4);
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

    const QRect iconRect((width() - kIconSize) / 2, kIconTop + (isDown() ? 1 : 0), kIconSize,
                         kIconSize);
    commandIcon().paint(&painter, iconRect, Qt::AlignCenter,
                        isEnabled() ? QIcon::Normal : QIcon::Disabled);

    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    const QFontMetrics metrics = fontMetrics();
    const QRect captionRect(2, kCaptionTop, width() - 4, height() - kCaptionTop);
    const int captionWidth = metrics.horizontalAdvance(text());
    if (captionWidth <= captionRect.width()) {
        // Centred with the trailing blanks counted, as the captions were written to be.
        const int x = captionRect.left() + (captionRect.width() - captionWidth) / 2;
        painter.drawText(QPoint(x, captionRect.top() + metrics.ascent()), text());
    } else {
        painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         text().trimmed());
    }
}

void TInspectorItem::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void TInspectorItem::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}
