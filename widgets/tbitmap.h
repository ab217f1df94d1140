// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The gradient band's pattern: a 32-bit image whose width and height are set one after the other
// and whose rows are written directly. A pixel is one 32-bit word of blue, green, red and a
// reserved byte (QImage::Format_RGB32, row 0 at the top); the format never changes.

#include <QImage>
#include <cstdint>

class TBitmap {
public:
    int width() const { return FWidth; }
    int height() const { return FHeight; }

    // Each sets one dimension and keeps the other. A change of size gives new pixel memory whose
    // contents are undefined until written; the same size keeps the pixels. Memory that cannot be
    // had raises EOutOfMemory and leaves the bitmap as it was.
    void setWidth(int width);
    void setHeight(int height);

    // Row y (0 = top) as width() consecutive pixels.
    uint32_t* scanLine(int y) { return reinterpret_cast<uint32_t*>(FImage.scanLine(y)); }
    const uint32_t* scanLine(int y) const {
        return reinterpret_cast<const uint32_t*>(FImage.constScanLine(y));
    }

    uint32_t pixel(int x, int y) const { return scanLine(y)[x]; }
    void setPixel(int x, int y, uint32_t value) { scanLine(y)[x] = value; }

    const QImage& image() const { return FImage; }

private:
    void resize(int width, int height);

    QImage FImage{0, 0, QImage::Format_RGB32};
    // Kept apart from the image, which forgets both dimensions while one of them is 0.
    int FWidth = 0;
    int FHeight = 0;
};
