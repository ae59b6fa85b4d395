#pragma once

#include <QAbstractButton>

/// A command item of the command bar: a large (32×32) icon above its caption, in a row 58 pixels
/// high, drawn in the group's colours (white text on grey). The caption is centred with its
/// trailing blanks counted, and word-wrapped when it is wider than the item. The item does not
/// take the keyboard focus, so that clicking it leaves the focus where the user was typing.
class TInspectorItem : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 58;
    static constexpr int kIconSize = 32;

    TInspectorItem(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
