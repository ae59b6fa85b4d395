#include "ui/TTabImages.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QRadialGradient>

#include "ui/Look.h"

namespace {

QPixmap blank() {
    QPixmap pixmap(TTabImages::kSize, TTabImages::kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap scriptPage() {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawPolygon(
        QPolygon({QPoint(2, 0), QPoint(10, 0), QPoint(13, 3), QPoint(13, 15), QPoint(2, 15)}));
    painter.drawLine(10, 0, 10, 3);
    painter.drawLine(10, 3, 13, 3);
    const QColor lineColours[] = {QColor(0, 0, 160), QColor(128, 0, 0), QColor(0, 128, 0),
                                  QColor(0, 0, 160), QColor(0, 0, 0)};
    const int lineLengths[] = {6, 4, 7, 5, 6};
    for (int line = 0; line < 5; ++line) {
        painter.setPen(lineColours[line]);
        painter.drawLine(4, 5 + 2 * line, 4 + lineLengths[line], 5 + 2 * line);
    }
    return pixmap;
}

QPixmap propertiesForm() {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(look::kInfoTip);
    painter.drawRect(0, 1, 15, 13);
    painter.setBrush(Qt::white);
    for (int row = 0; row < 3; ++row) {
        painter.setPen(look::kNavy);
        painter.drawLine(2, 4 + 3 * row, 4, 4 + 3 * row);
        painter.setPen(QColor(128, 128, 128));
        painter.drawRect(6, 3 + 3 * row, 7, 2);
    }
    return pixmap;
}

QPixmap informationSign() {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(6, 5), 9);
    shade.setColorAt(0, QColor(90, 140, 255));
    shade.setColorAt(1, QColor(0, 0, 150));
    painter.setPen(QColor(0, 0, 100));
    painter.setBrush(shade);
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(6.8, 3, 2.4, 2.4));
    painter.drawRect(QRectF(7, 6.5, 2, 6.5));
    return pixmap;
}

}  // namespace

QIcon TTabImages::icon(int index) {
    switch (index) {
        case Script:
            return QIcon(scriptPage());
        case Properties:
            return QIcon(propertiesForm());
        case About:
            return QIcon(informationSign());
        default:
            return {};
    }
}
