// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/fixed_font.h"

#include <QFontInfo>

QFont FixedPitchFont(const QFont& font) {
    if (QFontInfo(font).fixedPitch())
        return font;
    QFont fixed(font);
    fixed.setFamily(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    return fixed;
}
