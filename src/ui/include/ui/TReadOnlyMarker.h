#pragma once

#include <QLabel>

/// The "READ ONLY" marker: dark red bold text, right-aligned in a box of 75×17 that keeps to the
/// top right corner of its parent, 3 pixels from its top and right edges, above the parent's other
/// children. Hidden at first.
class TReadOnlyMarker : public QLabel {
    Q_OBJECT

public:
    explicit TReadOnlyMarker(QWidget& parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
};
