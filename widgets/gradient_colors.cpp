// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/gradient_colors.h"

#include "widgets/mul_div.h"

namespace {

// Channel values of one colour, in the order red, green, blue.
using Channels = std::array<int, 3>;

Channels ChannelsOf(QRgb color) {
    return {qRed(color), qGreen(color), qBlue(color)};
}

// Moves the start p per cent toward the end (p > 0), or the end -p per cent toward the start.
void ApplyShift(Channels& start, Channels& end, int shift) {
    for (size_t c = 0; c < start.size(); ++c) {
        if (shift > 0)
            start[c] += MulDiv(end[c] - start[c], shift, 100);
        else if (shift < 0)
            end[c] += MulDiv(end[c] - start[c], shift, 100);
    }
}

// Channel value of entry i with d = e - s and k = MulDiv(255, rotation, 100). Division truncates
// toward zero; no divisor is 0 for the i that reach it.
int ChannelAt(int i, int s, int e, int d, int k) {
    if (k == 0)
        return s + (i * d) / 255;
    if (k > 0) {
        const int m = 255 - k;
        return i < m ? s + (i * d) / m : s + ((255 - i) * d) / k;
    }
    const int n = -k;
    return i <= n ? e - (i * d) / n : e - ((255 - i) * d) / (255 - n);
}

} // namespace

TGradientColors GradientColors(QRgb startColor, QRgb endColor, int shift, int rotation) {
    Channels start = ChannelsOf(startColor);
    Channels end = ChannelsOf(endColor);
    ApplyShift(start, end, shift);
    const int k = MulDiv(255, rotation, 100);
    TGradientColors colors;
    for (int i = 0; i < int(colors.size()); ++i) {
        Channels value;
        for (size_t c = 0; c < value.size(); ++c)
            value[c] = ChannelAt(i, start[c], end[c], end[c] - start[c], k);
        colors[i] = GradientEntry(value[0], value[1], value[2]);
    }
    return colors;
}
