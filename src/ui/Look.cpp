#include "ui/Look.h"

namespace look {

QPalette classicPalette() {
    const QColor black(Qt::black);
    QPalette palette(black, kSilver, kWhite, QColor(128, 128, 128), QColor(160, 160, 160), black,
                     kWhite, kWhite, kSilver);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Midlight, QColor(223, 223, 223));
        palette.setColor(group, QPalette::Shadow, black);
        palette.setColor(group, QPalette::AlternateBase, QColor(240, 240, 240));
        palette.setColor(group, QPalette::Highlight, kNavy);
        palette.setColor(group, QPalette::HighlightedText, kWhite);
        palette.setColor(group, QPalette::ToolTipBase, kInfoTip);
        palette.setColor(group, QPalette::ToolTipText, black);
        palette.setColor(group, QPalette::PlaceholderText, QColor(96, 96, 96));
        palette.setColor(group, QPalette::Link, QColor(0, 0, 238));
        palette.setColor(group, QPalette::LinkVisited, QColor(85, 26, 139));
    }
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, kLockedText);
    }
    return palette;
}

}  // namespace look
