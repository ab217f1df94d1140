// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colour values as the window's settings hold them: a plain colour keeps red in bits 0-7, green in
// bits 8-15 and blue in bits 16-23 with the high byte 0; a negative value (high byte 255) names a
// system colour by its low byte and is looked up each time it is used.

#include <QColor>
#include <cstdint>

using TColor = int32_t;

constexpr TColor RgbColor(int red, int green, int blue) {
    return TColor(uint32_t(red & 0xFF) | uint32_t(green & 0xFF) << 8 | uint32_t(blue & 0xFF) << 16);
}

constexpr TColor SystemColorValue(int index) {
    return TColor(0xFF000000u | uint32_t(index & 0xFF));
}

constexpr bool IsSystemColor(TColor color) {
    return color < 0;
}

inline constexpr TColor clWhite = RgbColor(255, 255, 255);
inline constexpr TColor clSkyBlue = RgbColor(166, 202, 240); // 0x00F0CAA6
inline constexpr TColor clBtnFace = SystemColorValue(15);
inline constexpr TColor clActiveBorder = SystemColorValue(10);

// The red, green and blue of a colour value, system colours taken from the application palette now.
QColor ToQColor(TColor color);

// The same as a plain colour value.
TColor ToPlainColor(TColor color);
