#pragma once

#include <QColor>
#include <QFont>

// The window's house colours and fonts, defined once.
namespace look {

inline constexpr QColor kNavy{0, 0, 128};
inline constexpr QColor kMaroon{128, 0, 0};
/// The pale yellow of info tips: properties fields, parameter hints.
inline constexpr QColor kInfoTip{255, 255, 225};
/// The window's background, and the look of locked properties fields.
inline constexpr QColor kSilver{192, 192, 192};
/// The command groups' background, and the text of a locked field.
inline constexpr QColor kGrey{128, 128, 128};

/// "Courier New" at `points` (fontconfig gives its metric twin, Liberation Mono, where it is
/// missing).
inline QFont courierNew(int points) {
    return QFont(QStringLiteral("Courier New"), points);
}

}  // namespace look
