// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/system_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QColor HalfWay(const QColor& from, const QColor& to) {
    return QColor((from.red() + to.red()) / 2, (from.green() + to.green()) / 2,
                  (from.blue() + to.blue()) / 2);
}

} // namespace

QColor SystemColor(int index) {
    const QPalette palette = QGuiApplication::palette();
    const auto color = [&palette](QPalette::ColorRole role) {
        return palette.color(QPalette::Active, role);
    };
    switch (index) {
    case kColorActiveCaption:
    case kColorHighlight:
        return color(QPalette::Highlight);
    case kColorGradientActiveCaption:
        return HalfWay(color(QPalette::Highlight), color(QPalette::Base));
    case kColorWindow:
        return color(QPalette::Base);
    case kColorWindowText:
        return color(QPalette::Text);
    case kColorActiveBorder:
        return color(QPalette::Mid);
    case kColorHighlightText:
        return color(QPalette::HighlightedText);
    case kColorBtnFace:
        return color(QPalette::Button);
    case kColorBtnShadow:
        return color(QPalette::Dark);
    case kColorGrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case kColorBtnText:
        return color(QPalette::ButtonText);
    case kColorBtnHighlight:
        return color(QPalette::Light);
    default:
        return QColor(0, 0, 0);
    }
}
