#include "ui/TLanguageCombo.h"

#include <QHeaderView>
#include <QScreen>
#include <QStandardItemModel>
#include <QStylePainter>
#include <QTreeView>

#include <algorithm>

#include "conversion/LanguageTable.h"
#include "ui/Look.h"
#include "ui/TPropertyEdit.h"

namespace {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TLanguageCombo::TLanguageCombo(QWidget* parent) : QComboBox(parent) {
    setFont(look::fieldFont());
    QPalette palette = this->palette();
    TPropertyEdit::keepLockedFieldReadable(palette);
    setPalette(palette);

    const auto& rows = quillshift::LanguageTable::rows();
    auto* model = new QStandardItemModel(static_cast<int>(rows.size()), 2, this);
    for (int row = 0; row < model->rowCount(); ++row) {
        const quillshift::LanguageRow& language = rows[static_cast<std::size_t>(row)];
        auto* code = new QStandardItem(latin1(language.code));
        code->setBackground(look::kInfoTip);
        code->setForeground(look::kBlack);
        auto* name = new QStandardItem(latin1(language.name));
        name->setBackground(look::kGrey);
        name->setForeground(look::kInfoTip);
        model->setItem(row, 0, code);
        model->setItem(row, 1, name);
    }
    setModel(model);

    auto* view = new QTreeView(this);
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->header()->setStretchLastSection(false);
    setView(view);
    view->setColumnWidth(0, kCodeWidth);
    view->setColumnWidth(1, kNameWidth);
    setModelColumn(0);
    setCurrentIndex(0);
}

void TLanguageCombo::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    if (popup == window()) {
        return;
    }
    const int frame = popup->width() - view()->viewport()->width();
    QRect bounds(
        mapToGlobal(QPoint(0, height())),
        QSize(std::max(width(), kCodeWidth + kNameWidth + std::max(frame, 0)), kDropDownHeight));
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        if (bounds.bottom() > available.bottom()) {
            bounds.moveBottom(mapToGlobal(QPoint(0, 0)).y() - 1);
        }
        if (bounds.right() > available.right()) {
            bounds.moveRight(available.right());
        }
    }
    popup->setMinimumSize(0, 0);
    popup->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    popup->setGeometry(bounds);
    // The rows share the list's height, so that the nine of them fill it.
    const int rows = std::max(1, model()->rowCount());
    const int rowHeight = std::max(view()->viewport()->height() / rows, fontMetrics().height());
    for (int row = 0; row < model()->rowCount(); ++row) {
        for (int column = 0; column < model()->columnCount(); ++column) {
            model()->setData(model()->index(row, column), QSize(0, rowHeight), Qt::SizeHintRole);
        }
    }
    view()->doItemsLayout();
}

void TLanguageCombo::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);

    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int row = currentIndex();
    if (row < 0) {
        return;
    }
    const bool enabled = isEnabled();
    const QRect codeCell(field.left(), field.top(), std::min(kCodeWidth, field.width()),
                         field.height());
    const QRect nameCell(codeCell.right() + 1, field.top(), field.right() - codeCell.right(),
                         field.height());
    painter.fillRect(codeCell, enabled ? look::kInfoTip : look::kSilver);
    painter.fillRect(nameCell, look::kGrey);
    painter.setPen(enabled ? look::kBlack : look::kLockedText);
    painter.drawText(codeCell.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     model()->index(row, 0).data().toString());
    // The names are the list's captions, written alike whether the list is locked or not.
    painter.setPen(look::kInfoTip);
    painter.drawText(nameCell.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     model()->index(row, 1).data().toString());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = codeCell;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
