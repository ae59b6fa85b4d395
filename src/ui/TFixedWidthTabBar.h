#pragma once

#include <QTabBar>

/// A tab bar whose tabs all have the same width, whatever their captions.
class TFixedWidthTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TFixedWidthTabBar(int tabWidth, QWidget* parent = nullptr);

    int tabWidth() const { return tabWidth_; }

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    int tabWidth_;
};
