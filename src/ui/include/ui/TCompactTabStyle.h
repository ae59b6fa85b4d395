#pragma once

#include <QProxyStyle>

/// The application style with narrow padding inside tabs, so that a caption and its icon fit a
/// fixed tab width.
class TCompactTabStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
