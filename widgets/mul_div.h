// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// number * numerator / denominator in 64 bits, rounded to the nearest integer with an exact half
// going away from zero: MulDiv(255, 50, 100) = 128, MulDiv(255, -50, 100) = -128. A denominator
// of 0 gives -1, as the platform call this stands for does.

#include <cstdint>

constexpr int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const int64_t product = int64_t(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = denominator < 0 ? -int64_t(denominator) : int64_t(denominator);
    const int64_t rounded = (2 * magnitude + divisor) / (2 * divisor);
    return int(negative ? -rounded : rounded);
}
