#include "ui/TInspectorBarStyle.h"

#include <qdrawutil.h>
#include <QPainter>
#include <QStyleOptionToolBox>

void TInspectorBarStyle::drawControl(ControlElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const {
    if (element == CE_ToolBoxTabShape) {
        const bool sunken = (option->state & State_Sunken) != 0;
        qDrawShadePanel(painter, option->rect, option->palette, sunken, 1,
                        &option->palette.brush(QPalette::Button));
        return;
    }
    if (element == CE_ToolBoxTabLabel) {
        if (const auto* tab = qstyleoption_cast<const QStyleOptionToolBox*>(option)) {
            drawItemText(painter, tab->rect, Qt::AlignCenter | Qt::TextShowMnemonic, tab->palette,
                         (tab->state & State_Enabled) != 0, tab->text, QPalette::ButtonText);
            if ((tab->state & State_HasFocus) != 0) {
                QStyleOptionFocusRect focus;
                focus.QStyleOption::operator=(*tab);
                focus.rect = tab->rect.adjusted(3, 3, -3, -3);
                proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
            }
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
