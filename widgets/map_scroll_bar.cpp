// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/map_scroll_bar.h"

#include "widgets/mark_colors.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {

constexpr int kInset = 2;      // pixels left free on either side of a mark
constexpr int kMarkHeight = 3; // pixels

} // namespace

MapScrollBar::MapScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {}

void MapScrollBar::setMap(const OccurrenceMap& map) {
    FMap = map;
    update();
}

QRect MapScrollBar::groove() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
}

// A part's mark lies at the height of its first line in the groove, as far down the groove as
// that line is in the text.
QRect MapScrollBar::markRect(int part) const {
    const QRect g = groove();
    const int y = g.top() + int(qint64(g.height()) * FMap.firstLine(part) / FMap.lines());
    return QRect(g.left() + kInset, std::min(y, g.bottom() + 1 - kMarkHeight),
                 std::max(1, g.width() - 2 * kInset), kMarkHeight);
}

void MapScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (FMap.empty())
        return;
    QPainter painter(this);
    const QColor color = MapMark(palette());
    for (int part = 0; part < FMap.parts(); ++part)
        if (FMap.holds(part))
            painter.fillRect(markRect(part), color);
    // The slider again, over the marks: a text with an occurrence in every part would hide it.
    // A bar without a range shows none.
    if (maximum() <= minimum())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_ScrollBarSlider;
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
}
