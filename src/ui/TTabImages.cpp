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
    painter.setPen(look::icon::kOutline);
    painter.setBrush(look::kWhite);
    painter.drawPolygon(
        QPolygon({QPoint(2, 0), QPoint(10, 0), QPoint(13, 3), QPoint(13, 15), QPoint(2, 15)}));
    painter.drawLine(10, 0, 10, 3);
    painter.drawLine(10, 3, 13, 3);
    const QColor lineColours[] = {look::icon::kBlueText, look::kMaroon, look::kCommentGreen,
                                  look::icon::kBlueText, look::kBlack};
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
    painter.setPen(look::icon::kOutline);
    painter.setBrush(look::kInfoTip);
    painter.drawRect(0, 1, 15, 13);
    painter.setBrush(look::kWhite);
    for (int row = 0; row < 3; ++row) {
        painter.setPen(look::kNavy);
        painter.drawLine(2, 4 + 3 * row, 4, 4 + 3 * row);
        painter.setPen(look::icon::kBox);
        painter.drawRect(6, 3 + 3 * row, 7, 2);
    }
    return pixmap;
}

QPixmap informationSign() {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(6, 5), 9);
    shade.setColorAt(0, look::icon::kShadeLight);
    shade.setColorAt(1, look::icon::kShadeDark);
    painter.setPen(look::icon::kRim);
    painter.setBrush(shade);
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::kWhite);
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
