#include "ui/TCompactTabStyle.h"

int TCompactTabStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const {
    if (metric == PM_TabBarTabHSpace) {
        return 8;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}
