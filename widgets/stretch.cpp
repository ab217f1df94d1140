// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/stretch.h"

#include <cstdint>
#include <vector>

namespace {

// For each of count target pixels, the index of the source pixel, of sourceCount, under its centre:
// (i + 1/2) * sourceCount / count, rounded down.
std::vector<int> SourceIndices(int sourceCount, int count) {
    std::vector<int> indices(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        indices[std::size_t(i)] = int((int64_t(2) * i + 1) * sourceCount / (int64_t(2) * count));
    return indices;
}

} // namespace

QImage StretchNearest(const QImage& source, QSize size) {
    if (source.isNull() || size.isEmpty())
        return QImage();
    const QImage::Format format =
        source.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const QImage pixels = source.convertToFormat(format);
    QImage target(size, format);
    if (target.isNull())
        return target;
    const std::vector<int> columns = SourceIndices(pixels.width(), size.width());
    const std::vector<int> rows = SourceIndices(pixels.height(), size.height());
    for (int y = 0; y < size.height(); ++y) {
        const auto* from =
            reinterpret_cast<const QRgb*>(pixels.constScanLine(rows[std::size_t(y)]));
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            to[x] = from[columns[std::size_t(x)]];
    }
    return target;
}
