#include "ui/TWarningBadge.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>

#include "ui/Look.h"

namespace {

constexpr int kInset = 4;

}  // namespace

TWarningBadge::TWarningBadge(QAbstractScrollArea& pane)
    : QLabel(pane.viewport()), viewport_(pane.viewport()) {
    setObjectName(QStringLiteral("WarningBadge"));
    setAutoFillBackground(true);
    QPalette amber = palette();
    amber.setColor(QPalette::Window, look::kWarningAmber);
    amber.setColor(QPalette::WindowText, look::kBlack);
    setPalette(amber);
    // A child of the pane's viewport would take its background role (the text's white).
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setCursor(Qt::PointingHandCursor);
    hide();
    viewport_->installEventFilter(this);
}

void TWarningBadge::setCount(std::size_t count) {
    if (count == 0) {
        hide();
        return;
    }
    setText(count == 1 ? tr("1 line needs a look: F8 goes to it")
                       : tr("%1 lines need a look: F8 goes to each").arg(count));
    setToolTip(
        tr("The conversion's rules may have broken these lines. F8 and Shift+F8 go to the "
           "next and the previous one; the amber marks' tooltips say what happened, and "
           "their context menu offers the suggested fixes."));
    adjustSize();
    place();
    show();
}

void TWarningBadge::place() {
    move(viewport_->width() - width() - kInset, kInset);
    raise();
}

bool TWarningBadge::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport_ && event->type() == QEvent::Resize) {
        place();
    }
    return QLabel::eventFilter(watched, event);
}

void TWarningBadge::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}
