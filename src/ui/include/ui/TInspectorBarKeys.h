#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;
class TCommandBar;

/// Lets the keyboard drive a command bar without shortcuts of its
/// own. Tab and Shift+Tab reach the group captions and the shown items in the order they stand,
/// from top to bottom; the arrow keys move between them within the bar (Up and Left upwards, Down
/// and Right downwards); Enter, Return and Space run the command of an item or open the group of
/// a caption. Hidden items and the items of closed groups cannot be reached. A click with the
/// mouse still leaves the keyboard focus where it was.
class TInspectorBarKeys : public QObject {
    Q_OBJECT

public:
    /// Works on the captions and items that `bar` holds now; owned by `bar`. Tab pressed while
    /// `start` holds the focus (a widget outside the Tab order, such as the panel that holds the
    /// focus when the window opens) goes to the bar first.
    TInspectorBarKeys(TCommandBar& bar, QWidget* start);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The captions and items in the order they stand, each group's caption before its items.
    QList<QAbstractButton*> buttons() const;
    /// Moves the focus from `from` to the next reachable button upwards or downwards, if any.
    void moveFocus(QAbstractButton* from, bool down) const;

    TCommandBar& bar_;
    QWidget* start_;
};
