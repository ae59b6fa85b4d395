#include "ui/TFixedWidthTabBar.h"

TFixedWidthTabBar::TFixedWidthTabBar(int tabWidth, QWidget* parent)
    : QTabBar(parent), tabWidth_(tabWidth) {
    setExpanding(false);
    setElideMode(Qt::ElideRight);
    setUsesScrollButtons(true);
}

QSize TFixedWidthTabBar::tabSizeHint(int index) const {
    return {tabWidth_, QTabBar::tabSizeHint(index).height()};
}

QSize TFixedWidthTabBar::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}
