// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 23 renderers that draw the gradient band's pattern from its colour table, one per style but
// gsCustom. A renderer sets the pattern's width, then its height, then writes every pixel exactly
// once with the table entry of that pixel's index. The size depends on the style only.

#include "widgets/tbitmap.h"

#include <array>
#include <cstdint>

enum TGradientStyle : uint8_t {
    gsCustom,
    gsRadialC,
    gsRadialT,
    gsRadialB,
    gsRadialL,
    gsRadialR,
    gsRadialTL,
    gsRadialTR,
    gsRadialBL,
    gsRadialBR,
    gsLinearH,
    gsLinearV,
    gsReflectedH,
    gsReflectedV,
    gsDiagonalLF,
    gsDiagonalLB,
    gsDiagonalRF,
    gsDiagonalRB,
    gsArrowL,
    gsArrowR,
    gsArrowU,
    gsArrowD,
    gsDiamond,
    gsButterfly,
};

inline constexpr int kGradientStyleCount = gsButterfly + 1;

// 256 entries; each, read as a little-endian word, is exactly one pattern pixel: 0xFFRRGGBB, the
// bytes blue, green, red and a reserved byte (always 0xFF, the value Format_RGB32 expects there).
using TGradientColors = std::array<uint32_t, 256>;

using TGradientRenderer = void (*)(const TGradientColors& colors, TBitmap& pattern);

// Indexed by the style's ordinal; slot gsCustom is nullptr.
extern const std::array<TGradientRenderer, kGradientStyleCount> kGradientRenderers;
