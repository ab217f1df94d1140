// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The buttons' glyphs: 16 x 16 drawings whose bottom-left pixel gives the transparent colour.

#include <QIcon>
#include <QString>

// An icon of the normal glyph and, when given, the glyph of the disabled button; without one the
// style derives the disabled look. At any size, a scaled screen's included, the glyph's pixels are
// repeated or dropped (nearest pixel), never blended.
QIcon GlyphIcon(const QString& normal, const QString& disabled = {});
