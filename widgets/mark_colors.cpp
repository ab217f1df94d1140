// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/mark_colors.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
    return 0.2126 * Linear(c.red()) + 0.7152 * Linear(c.green()) + 0.0722 * Linear(c.blue());
}

QColor Blend(const QColor& from, const QColor& to, double share) {
    const auto mix = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

bool IsDark(const QColor& c) {
    return Luminance(c) < 0.2;
}

// Bright yellow on a light Base; deep amber on a dark one.
QColor Amber(const QColor& base) {
    return IsDark(base) ? QColor(160, 110, 0) : QColor(255, 214, 0);
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor MarkBackground(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const QColor amber = Amber(base);
    for (int tenths = 7; tenths > 0; --tenths) {
        const QColor mark = Blend(base, amber, tenths / 10.0);
        if (ContrastRatio(mark, text) >= kMarkContrast)
            return mark;
    }
    return base;
}

QColor MapMark(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    return IsDark(base) ? QColor(255, 190, 40) : QColor(210, 140, 0);
}
