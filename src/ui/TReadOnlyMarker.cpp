#include "ui/TReadOnlyMarker.h"

#include <QEvent>

#include "ui/Look.h"

namespace {

constexpr QSize kSize(75, 17);
constexpr int kInset = 3;

}  // namespace

TReadOnlyMarker::TReadOnlyMarker(QWidget& parent) : QLabel(QStringLiteral("READ ONLY"), &parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, look::kMarkerRed);
    setPalette(red);
    hide();
    parent.installEventFilter(this);
    place();
}

void TReadOnlyMarker::place() {
    const QWidget* holder = parentWidget();
    setGeometry(holder->width() - kInset - kSize.width(), kInset, kSize.width(), kSize.height());
    raise();
}

bool TReadOnlyMarker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        place();
    }
    return QLabel::eventFilter(watched, event);
}
