#pragma once

#include <QTabWidget>

class TFixedWidthTabBar;

/// The window's page control: tabs of one fixed width, each with a 16×16 icon.
class TPageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TPageControl(int tabWidth, QWidget* parent = nullptr);

    TFixedWidthTabBar* fixedTabBar() const { return tabBar_; }

private:
    TFixedWidthTabBar* tabBar_;
};
