// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/tcolor.h"

#include "widgets/system_colors.h"

QColor ToQColor(TColor color) {
    if (IsSystemColor(color))
        return SystemColor(color & 0xFF);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor ToPlainColor(TColor color) {
    const QColor rgb = ToQColor(color);
    return RgbColor(rgb.red(), rgb.green(), rgb.blue());
}
