// SPDX-License-Identifier: GPL-3.0-or-later
// Time of one gradient band rebuild (colour table and pattern) per style, beside the time of
// filling the same pattern with one colour, measured in the same run: gradient_bench [ROUNDS].

#include "widgets/gradient.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kStyleNames[kGradientStyleCount] = {
    "gsCustom",     "gsRadialC",    "gsRadialT",    "gsRadialB",    "gsRadialL",    "gsRadialR",
    "gsRadialTL",   "gsRadialTR",   "gsRadialBL",   "gsRadialBR",   "gsLinearH",    "gsLinearV",
    "gsReflectedH", "gsReflectedV", "gsDiagonalLF", "gsDiagonalLB", "gsDiagonalRF", "gsDiagonalRB",
    "gsArrowL",     "gsArrowR",     "gsArrowU",     "gsArrowD",     "gsDiamond",    "gsButterfly",
};

// Median time in microseconds of one call of work, over rounds calls.
template <typename Work> double MedianMicroseconds(int rounds, Work work) {
    std::vector<double> times;
    times.reserve(rounds);
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
    return times[rounds / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    TGradient band;
    band.setColorBegin(clSkyBlue);
    band.setColorEnd(clWhite);
    band.setRotation(30);
    std::printf("%-14s %9s %12s %14s %7s\n", "style", "pattern", "rebuild µs", "fill ref. µs",
                "ratio");
    for (int style = 0; style < kGradientStyleCount; ++style) {
        band.setStyle(TGradientStyle(style));
        const double rebuild = MedianMicroseconds(rounds, [&band] { band.RebuildPattern(); });
        QImage reference(band.Pattern().image().size(), QImage::Format_RGB32);
        const double fill =
            MedianMicroseconds(rounds, [&reference] { reference.fill(0xFFA6CAF0u); });
        const QString size =
            QString("%1x%2").arg(band.Pattern().width()).arg(band.Pattern().height());
        std::printf("%-14s %9s %12.1f %14.2f %7.1f\n", kStyleNames[style], qPrintable(size),
                    rebuild, fill, fill > 0 ? rebuild / fill : 0.0);
    }
    return 0;
}
