#include "ui/TFixedWidthTabBar.h"

#include <QStyleOptionTab>

#include <algorithm>

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
    // A style with wider tab margins or a larger font gets tabs as wide as its widest caption
    // needs, all alike, so that no caption is cut short.
    int width = tabWidth_;
    for (int tab = 0; tab < count(); ++tab) {
        width = std::max(width, wholeCaptionWidth(tab));
    }
    return {width, QTabBar::tabSizeHint(index).height()};
}

int TFixedWidthTabBar::wholeCaptionWidth(int index) const {
    // The room the style leaves for the caption in a tab of the usual width, whatever it keeps
    // for margins and the icon.
    QStyleOptionTab option;
    initStyleOption(&option, index);
    option.rect.setWidth(tabWidth_);
    const int room = style()->subElementRect(QStyle::SE_TabBarTabText, &option, this).width();
    return tabWidth_ - room + fontMetrics().horizontalAdvance(tabText(index)) + 1;
}

QSize TFixedWidthTabBar::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}
