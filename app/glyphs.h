#pragma once
// The buttons' glyphs: 16 x 16 drawings whose bottom-left pixel gives the transparent colour.

#include <QIcon>
#include <QString>

// A glyph from the resource at path, its bottom-left colour made transparent.
QPixmap GlyphPixmap(const QString& path);

// An icon of the normal glyph and, when given, the glyph of the disabled button; without one the
// style derives the disabled look.
QIcon GlyphIcon(const QString& normal, const QString& disabled = {});
