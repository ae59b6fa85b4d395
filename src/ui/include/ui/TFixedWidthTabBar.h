#pragma once

#include <QTabBar>

/// A tab bar whose tabs all have the same width, whatever their captions: the width it is given,
/// or more where the style needs more for a caption.
class TFixedWidthTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TFixedWidthTabBar(int tabWidth, QWidget* parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    /// The width tab `index` needs to show its whole caption in the current style.
    int wholeCaptionWidth(int index) const;

    int tabWidth_;
};
