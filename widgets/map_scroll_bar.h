// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A vertical scroll bar that shows an OccurrenceMap in its groove: a mark at the height of each
// part of the text that holds an occurrence. The marks are only painted: the bar takes clicks and
// drags as any scroll bar does, and its slider stays on top of them.

#include "text/occurrence_map.h"

#include <QScrollBar>

class MapScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit MapScrollBar(QWidget* parent = nullptr);

    void setMap(const OccurrenceMap& map);
    const OccurrenceMap& map() const noexcept { return FMap; }
    // The groove, and the mark of a part in it, in the bar's coordinates.
    QRect groove() const;
    QRect markRect(int part) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OccurrenceMap FMap;
};
