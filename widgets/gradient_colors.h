// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The gradient band's colour table: 256 entries from a start to an end colour, shaped by Shift
// (moves one end toward the other, in per cent) and Rotation (moves the turning point of the ramp).

#include "widgets/gradient_renderers.h"

#include <QRgb>

// One table entry (a pattern pixel) for red, green and blue.
constexpr uint32_t GradientEntry(int red, int green, int blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

// start and end are plain red, green and blue (alpha ignored); shift and rotation lie in -100..100.
TGradientColors GradientColors(QRgb start, QRgb end, int shift, int rotation);
