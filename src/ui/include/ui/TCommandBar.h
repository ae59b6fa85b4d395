#pragma once

#include <QList>
#include <QString>
#include <QStyle>
#include <QToolBox>

class QAbstractButton;
class TInspectorItem;

/// The wizard's command bar: groups of command items, one group open at a time, each under a
/// caption bar 22 pixels high. The items are large icons above their captions, white on grey,
/// one row every 58 pixels, and hidden items take no room. The bar is driven with the mouse or,
/// without shortcuts, with the keyboard (see TInspectorBarKeys); a click never takes the keyboard
/// focus from the field being edited.
class TCommandBar : public QToolBox {
    Q_OBJECT

public:
    struct Item {
        QString caption;
        QStyle::StandardPixmap icon;
    };
    struct Group {
        QString caption;
        QString name;  ///< object name of the group's page; its items are NAME + "Item" + index
        QList<Item> items;
    };

    /// A bar of `groups`, the first one open. Tab pressed while `keyboardStart` holds the focus
    /// goes to the bar first.
    TCommandBar(const QList<Group>& groups, QWidget* keyboardStart, QWidget* parent);

    /// Item `index` of group `group`, or null.
    TInspectorItem* item(int group, int index) const;

    void setItemVisible(int group, int index, bool visible);

    /// The groups' caption bars, in order.
    QList<QAbstractButton*> captions() const;

signals:
    /// Item `index` of group `group` was clicked (or run from the keyboard).
    void itemClicked(int group, int index);

private:
    QList<QList<TInspectorItem*>> items_;
};
