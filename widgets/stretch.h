// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Nearest-pixel stretching, exact: every target pixel takes the colour of the source pixel that its
// centre falls on. A centre exactly on the border between two source pixels takes the one that
// begins there, to its right or below.

#include <QImage>

// source stretched to size, 32 bits a pixel with the source's alpha if it has one; a null image
// when either is empty.
QImage StretchNearest(const QImage& source, QSize size);
