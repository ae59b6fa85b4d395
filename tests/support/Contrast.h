#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

/// The relative luminance of `colour` as accessibility guidelines define it: 0 for black, 1 for
/// white.
inline double relativeLuminance(const QColor& colour) {
    const auto linear = [](int component) {
        const double c = component / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) +
           0.0722 * linear(colour.blue());
}

/// How well text of one colour reads on the other: from 1 (the same) to 21 (black on white).
/// Ordinary text wants at least 4.5.
inline double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
