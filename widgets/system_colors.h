// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's colour scheme by the system colour indices of the window settings, read from the
// application palette so that the program follows the user's theme.

#include <QColor>

inline constexpr int kColorActiveCaption = 2;
inline constexpr int kColorWindow = 5;
inline constexpr int kColorWindowText = 8;
inline constexpr int kColorActiveBorder = 10;
inline constexpr int kColorHighlight = 13;
inline constexpr int kColorHighlightText = 14;
inline constexpr int kColorBtnFace = 15;
inline constexpr int kColorBtnShadow = 16;
inline constexpr int kColorGrayText = 17;
inline constexpr int kColorBtnText = 18;
inline constexpr int kColorBtnHighlight = 20;
inline constexpr int kColorGradientActiveCaption = 27;

// The current colour of a system colour index, from the active group of the application palette.
// An index without a counterpart in the palette gives black, as an unknown index does on the
// platform the settings come from.
QColor SystemColor(int index);
