#include "ui/TFixedWidthTabBar.h"

#include "ui/TCompactTabStyle.h"

TFixedWidthTabBar::TFixedWidthTabBar(int tabWidth, QWidget* parent)
    : QTabBar(parent), tabWidth_(tabWidth) {
    setExpanding(false);
    setElideMode(Qt::ElideRight);
    setUsesScrollButtons(true);
    auto* style = new TCompactTabStyle();
    style->setParent(this);
    setStyle(style);
}

QSize TFixedWidthTabBar::tabSizeHint(int index) const {
    return {tabWidth_, QTabBar::tabSizeHint(index).height()};
}

QSize TFixedWidthTabBar::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}
