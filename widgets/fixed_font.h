// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed-width font of the text views: the desktop's, or a monospace family of its size where
// the desktop names a proportional one (a platform theme without a font setting does), since the
// views place every character in cells of one width.

#include <QFont>

// font itself when its glyphs are all of one width; otherwise a monospace font of its size.
QFont FixedPitchFont(const QFont& font);
