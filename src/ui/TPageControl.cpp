#include "ui/TPageControl.h"

#include "ui/TFixedWidthTabBar.h"

TPageControl::TPageControl(int tabWidth, QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TFixedWidthTabBar(tabWidth, this));
    setIconSize(QSize(16, 16));
    setDocumentMode(false);
}
