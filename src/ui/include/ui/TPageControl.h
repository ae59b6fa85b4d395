#pragma once

#include <QTabWidget>

/// The window's page control: tabs of one fixed width, each with a 16×16 icon.
class TPageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TPageControl(int tabWidth, QWidget* parent = nullptr);
};
