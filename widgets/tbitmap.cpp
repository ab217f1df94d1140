// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/tbitmap.h"

#include "text/errors.h"

#include <algorithm>

void TBitmap::setWidth(int width) {
    resize(width, FHeight);
}

void TBitmap::setHeight(int height) {
    resize(FWidth, height);
}

void TBitmap::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight)
        return;
    QImage image(width, height, QImage::Format_RGB32);
    if (width > 0 && height > 0 && image.isNull())
        throw EOutOfMemory();
    FImage = std::move(image);
    FWidth = width;
    FHeight = height;
}
