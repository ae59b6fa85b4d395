#pragma once

#include <QProxyStyle>

/// The look of the command bar's group captions: a raised button-face bar with the caption
/// centred.
class TInspectorBarStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
