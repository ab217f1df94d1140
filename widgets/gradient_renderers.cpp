// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/gradient_renderers.h"

#include <cmath>

namespace {

// ---- Radial styles: one, two or four mirrored quadrants of 181 x 181 around a focus.

constexpr int kQuadrant = 181;

// How an axis of the pattern holds the distances 0 to 180 from the focus.
enum class Axis {
    Centred,  // 362 positions: t and 361 - t are at distance 180 - t (t <= 180)
    Forward,  // 181 positions: position d is at distance d
    Backward, // 181 positions: position 180 - d is at distance d
};

constexpr int AxisSize(Axis axis) {
    return axis == Axis::Centred ? 2 * kQuadrant : kQuadrant;
}

// The positions at distance d on the axis, and how many there are (1 or 2).
int AxisPositions(Axis axis, int d, int (&positions)[2]) {
    switch (axis) {
    case Axis::Centred:
        positions[0] = kQuadrant - 1 - d;
        positions[1] = kQuadrant + d;
        return 2;
    case Axis::Forward:
        positions[0] = d;
        return 1;
    case Axis::Backward:
        break;
    }
    positions[0] = kQuadrant - 1 - d;
    return 1;
}

void RenderRadial(const TGradientColors& colors, TBitmap& pattern, Axis across, Axis down) {
    pattern.setWidth(AxisSize(across));
    pattern.setHeight(AxisSize(down));
    std::array<int, kQuadrant> squares;
    for (int d = 0; d < kQuadrant; ++d)
        squares[d] = d * d;
    for (int dy = 0; dy < kQuadrant; ++dy) {
        int ys[2];
        const int rowCount = AxisPositions(down, dy, ys);
        uint32_t* const rows[2] = {pattern.scanLine(ys[0]),
                                   rowCount > 1 ? pattern.scanLine(ys[1]) : nullptr};
        for (int dx = 0; dx < kQuadrant; ++dx) {
            // No root of an integer is an exact half, so adding 0.5 rounds as to nearest.
            const int index = int(std::sqrt(double(squares[dx] + squares[dy])) + 0.5);
            const uint32_t value = colors[index];
            int xs[2];
            const int columnCount = AxisPositions(across, dx, xs);
            for (int r = 0; r < rowCount; ++r)
                for (int c = 0; c < columnCount; ++c)
                    rows[r][xs[c]] = value;
        }
    }
}

template <Axis Across, Axis Down> void Radial(const TGradientColors& colors, TBitmap& pattern) {
    RenderRadial(colors, pattern, Across, Down);
}

// ---- Every other style: the index is a sum of x, y and constants, computed row by row.

// Sizes the pattern and stores colors[index(x, y)] into each pixel. The index functions below are
// additions and subtractions only.
template <typename IndexOf>
void Fill(const TGradientColors& colors, TBitmap& pattern, int width, int height, IndexOf indexOf) {
    pattern.setWidth(width);
    pattern.setHeight(height);
    for (int y = 0; y < height; ++y) {
        uint32_t* const row = pattern.scanLine(y);
        for (int x = 0; x < width; ++x)
            row[x] = colors[indexOf(x, y)];
    }
}

constexpr int Abs(int value) {
    return value < 0 ? -value : value;
}

// Entry 255 at both ends of 512 positions, entry 0 at the middle positions 255 and 256.
constexpr int Reflected(int t) {
    return t <= 255 ? 255 - t : t - 256;
}

void LinearH(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 1, [](int x, int) { return x; });
}

void LinearV(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 1, 256, [](int, int y) { return y; });
}

void ReflectedH(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 1, 512, [](int, int y) { return Reflected(y); });
}

void ReflectedV(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 512, 1, [](int x, int) { return Reflected(x); });
}

void DiagonalLF(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 128, 129, [](int x, int y) { return x + y; });
}

void DiagonalLB(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 128, 129, [](int x, int y) { return y - x + 127; });
}

void DiagonalRF(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 256, [](int x, int y) { return Abs(x + y - 255); });
}

void DiagonalRB(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 256, [](int x, int y) { return Abs(x - y); });
}

// The chevrons and four-fold patterns meet between positions 127 and 128 of a 256-pixel axis.
void ArrowL(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 129, 256, [](int x, int y) { return y <= 127 ? 255 - x - y : y - x; });
}

void ArrowR(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 129, 256,
         [](int x, int y) { return y <= 127 ? x - y + 127 : x + y - 128; });
}

void ArrowU(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 129, [](int x, int y) { return x <= 127 ? 255 - x - y : x - y; });
}

void ArrowD(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 129,
         [](int x, int y) { return x <= 127 ? y - x + 127 : x + y - 128; });
}

void Diamond(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 256, [](int x, int y) {
        if (y <= 127)
            return x <= 127 ? 255 - x - y : x - y;
        return x <= 127 ? y - x : x + y - 255;
    });
}

void Butterfly(const TGradientColors& colors, TBitmap& pattern) {
    Fill(colors, pattern, 256, 256, [](int x, int y) {
        if (y <= 127)
            return x <= 127 ? x - y + 128 : 383 - x - y;
        return x <= 127 ? x + y - 127 : y - x + 128;
    });
}

} // namespace

const std::array<TGradientRenderer, kGradientStyleCount> kGradientRenderers = {
    nullptr,
    Radial<Axis::Centred, Axis::Centred>,
    Radial<Axis::Centred, Axis::Forward>,
    Radial<Axis::Centred, Axis::Backward>,
    Radial<Axis::Forward, Axis::Centred>,
    Radial<Axis::Backward, Axis::Centred>,
    Radial<Axis::Forward, Axis::Forward>,
    Radial<Axis::Backward, Axis::Forward>,
    Radial<Axis::Forward, Axis::Backward>,
    Radial<Axis::Backward, Axis::Backward>,
    LinearH,
    LinearV,
    ReflectedH,
    ReflectedV,
    DiagonalLF,
    DiagonalLB,
    DiagonalRF,
    DiagonalRB,
    ArrowL,
    ArrowR,
    ArrowU,
    ArrowD,
    Diamond,
    Butterfly,
};
