#pragma once

#include <QLabel>

class QAbstractScrollArea;

/// A small amber label in the top right corner of a pane's text, left of its scroll bar, that
/// counts the lines needing a look; a click on it is told. It floats over the pane without taking
/// room from it, and hides while there is nothing to count.
class TWarningBadge : public QLabel {
    Q_OBJECT

public:
    explicit TWarningBadge(QAbstractScrollArea& pane);

    /// Shows `count` lines in need of a look; hides the badge for 0.
    void setCount(std::size_t count);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void place();

    QWidget* viewport_;
};
