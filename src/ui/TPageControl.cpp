#include "ui/TPageControl.h"

#include "ui/TFixedWidthTabBar.h"

TPageControl::TPageControl(int tabWidth, QWidget* parent)
    : QTabWidget(parent), tabBar_(new TFixedWidthTabBar(tabWidth, this)) {
    setTabBar(tabBar_);
    setIconSize(QSize(16, 16));
    setDocumentMode(false);
}
