#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// The window's house colours and fonts, defined once. Every background the window fixes comes
// with the text colour drawn on it, so that no desktop theme can put light text on a light
// background or dark text on a dark one; each pair reads at a contrast of at least 4.5:1.
namespace look {

inline constexpr QColor kBlack{0, 0, 0};
inline constexpr QColor kNavy{0, 0, 128};
inline constexpr QColor kMaroon{128, 0, 0};
/// Dark enough to read on the margins' grey and the panes' white.
inline constexpr QColor kDarkGreen{0, 100, 0};
/// Comments in the panes, on white.
inline constexpr QColor kCommentGreen{0, 128, 0};
/// Web addresses in the panes, on white.
inline constexpr QColor kLinkBlue{0, 0, 255};
/// The pale yellow of info tips: properties fields, parameter hints.
inline constexpr QColor kInfoTip{255, 255, 225};
/// The ordinary window colour: the panes, and a properties field while it has the focus.
inline constexpr QColor kWhite{255, 255, 255};
/// The window's background, and the look of locked properties fields.
inline constexpr QColor kSilver{192, 192, 192};
/// The command groups' background under white captions, and the language names' background
/// under pale yellow text.
inline constexpr QColor kGrey{112, 112, 112};
/// The text of a locked properties field, on silver.
inline constexpr QColor kLockedText{64, 64, 64};
/// The panes' right-margin line after column 80.
inline constexpr QColor kEdgeGrey{226, 226, 226};
/// The panes' margins, under the line numbers and the marks.
inline constexpr QColor kMarginGrey{224, 224, 224};
/// Under a warning's letter in a pane's margin, which is black.
inline constexpr QColor kWarningAmber{255, 196, 0};
/// The "READ ONLY" marker, on silver.
inline constexpr QColor kMarkerRed{160, 0, 0};

/// The window's palette whatever the desktop's theme: black text on the silver window, on white
/// fields and on silver buttons, white on navy for a selection, black on pale yellow for tips; the
/// disabled state writes dark grey.
QPalette classicPalette();

/// "Courier New" at `points` (fontconfig gives its metric twin, Liberation Mono, where it is
/// missing).
inline QFont courierNew(int points) {
    return QFont(QStringLiteral("Courier New"), points);
}

/// "Courier New" at `points`, falling back to another fixed-pitch font.
inline QFont fixedPitch(int points) {
    QFont font = courierNew(points);
    font.setStyleHint(QFont::Monospace);
    return font;
}

/// The properties fields, and the panes' margins: the line numbers and the marks beside them.
inline QFont fieldFont() {
    return fixedPitch(8);
}
inline QFont marginFont() {
    return fixedPitch(8);
}

/// The window's own font, "MS Sans Serif" 8 point, where missing Liberation Sans, whose letters
/// have the widths the layout was made for (fontconfig's own choice is a wider sans serif).
inline QFont windowFont() {
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

/// The tab icons' few colours: outlines, page text in blue, maroon, green and black, the form's
/// boxes, the information sign's shading.
namespace icon {
inline constexpr QColor kOutline{64, 64, 64};
inline constexpr QColor kBlueText{0, 0, 160};
inline constexpr QColor kBox{128, 128, 128};
inline constexpr QColor kShadeLight{90, 140, 255};
inline constexpr QColor kShadeDark{0, 0, 150};
inline constexpr QColor kRim{0, 0, 100};
}  // namespace icon

}  // namespace look
