#pragma once

#include <QAbstractButton>
#include <QStyle>

/// A command item of the command bar: a large (32×32) icon above its caption, in a row 58 pixels
/// high, drawn in the group's colours (white text on grey). The caption is centred with its
/// trailing blanks counted, and word-wrapped when it is wider than the item. It takes the
/// keyboard focus from the keyboard only (see TInspectorBarKeys), so that clicking it leaves the
/// focus where the user was typing, and shows it with a focus frame. Its icon, one of the style's
/// standard ones, is looked up when it is first needed: most items are hidden at start, and
/// looking icons up in the desktop's icon theme takes time.
class TInspectorItem : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 58;
    static constexpr int kIconSize = 32;

    TInspectorItem(QStyle::StandardPixmap icon, const QString& caption, QWidget* parent = nullptr);

    /// The item's icon (looked up now if it was not yet).
    QIcon commandIcon();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QStyle::StandardPixmap standardIcon_;
};
