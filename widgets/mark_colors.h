// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colour that marks the occurrences of a search in a text view and on its scroll bar:
// amber blended into the view's Base, light on a light Base and dark on a dark one, so that the
// view's Text stays legible on it.

#include <QColor>

class QPalette;

// The WCAG contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The least contrast that the text keeps on a marked occurrence.
inline constexpr double kMarkContrast = 4.5;

// The background of a marked occurrence: the strongest amber blend whose contrast with Text is
// at least kMarkContrast (Base itself when even a faint one misses it).
QColor MarkBackground(const QPalette& palette);

// The marks of the scroll bar's map: stronger than MarkBackground, to stand out in the groove.
QColor MapMark(const QPalette& palette);
