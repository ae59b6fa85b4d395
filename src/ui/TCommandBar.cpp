#include "ui/TCommandBar.h"

#include <QAbstractButton>
#include <QLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/Look.h"
#include "ui/TInspectorBarKeys.h"
#include "ui/TInspectorBarStyle.h"
#include "ui/TInspectorItem.h"

namespace {

constexpr int kCaptionHeight = 22;

}  // namespace

TCommandBar::TCommandBar(const QList<Group>& groups, QWidget* keyboardStart, QWidget* parent)
    : QToolBox(parent) {
    for (int group = 0; group < groups.size(); ++group) {
        auto* page = new QWidget(this);
        page->setObjectName(groups[group].name);
        page->setAutoFillBackground(true);
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, look::kGrey);
        palette.setColor(QPalette::Button, look::kGrey);
        palette.setColor(QPalette::WindowText, look::kWhite);
        palette.setColor(QPalette::ButtonText, look::kWhite);
        page->setPalette(palette);
        auto* column = new QVBoxLayout(page);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        QList<TInspectorItem*> groupItems;
        for (int index = 0; index < groups[group].items.size(); ++index) {
            const Item& item = groups[group].items[index];
            auto* button = new TInspectorItem(item.icon, item.caption, page);
            button->setObjectName(QStringLiteral("%1Item%2").arg(groups[group].name).arg(index));
            connect(button, &QAbstractButton::clicked, this,
                    [this, group, index] { emit itemClicked(group, index); });
            column->addWidget(button);
            groupItems.append(button);
        }
        column->addStretch(1);
        items_.append(groupItems);
        addItem(page, groups[group].caption);
    }
    // The captions' look lives as long as the bar, which outlives the captions drawn with it.
    auto* captionStyle = new TInspectorBarStyle();
    captionStyle->setParent(this);
    for (QAbstractButton* caption : captions()) {
        caption->setStyle(captionStyle);
        caption->setFixedHeight(kCaptionHeight);
    }
    // A click in the bar must not take the keyboard focus from the field being edited.
    for (QScrollArea* area : findChildren<QScrollArea*>()) {
        area->setFocusPolicy(Qt::NoFocus);
    }
    layout()->setSpacing(0);
    setCurrentIndex(0);
    new TInspectorBarKeys(*this, keyboardStart);
}

QList<QAbstractButton*> TCommandBar::captions() const {
    // Qt's own name for a QToolBox's caption buttons.
    return findChildren<QAbstractButton*>(QStringLiteral("qt_toolbox_toolboxbutton"),
                                          Qt::FindDirectChildrenOnly);
}

TInspectorItem* TCommandBar::item(int group, int index) const {
    if (group < 0 || group >= items_.size() || index < 0 || index >= items_[group].size()) {
        return nullptr;
    }
    return items_[group][index];
}

void TCommandBar::setItemVisible(int group, int index, bool visible) {
    if (TInspectorItem* target = item(group, index)) {
        target->setVisible(visible);
    }
}
