// SPDX-License-Identifier: GPL-3.0-or-later
// Painting of the text view: the rows in sight, and of each row the slice in sight.
#include "widgets/text_view.h"

#include "text/occurrences.h"
#include "widgets/mark_colors.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// Characters of a UTF-8 row drawn in one run with their neighbours: one cell wide, left to right,
// in the scripts whose glyphs the fixed-width font holds. Others are drawn one by one at their
// cells. A Windows-1252 row is drawn in runs whole.
bool JoinsRun(char32_t code, qint64 cells) {
    return cells == 1 && code < 0x0590;
}

// Combining marks are drawn with the character before them; format characters not at all.
bool IsMark(char32_t code) {
    const QChar::Category category = QChar::category(code);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing;
}

// Text gathered for one drawText call: a run of characters, or one character drawn alone.
class Run {
public:
    Run(QPainter& painter, qreal baseline) : FPainter(painter), FBaseline(baseline) {}

    void start(qreal x, qreal width, bool alone) {
        flush();
        FX = x;
        FWidth = width;
        FAlone = alone;
    }
    bool alone() const { return FAlone; }
    bool empty() const { return FText.isEmpty(); }
    void add(char32_t code) {
        if (QChar::requiresSurrogates(code)) {
            FText += QChar(QChar::highSurrogate(code));
            FText += QChar(QChar::lowSurrogate(code));
        } else {
            FText += QChar(char16_t(code));
        }
    }
    // A character drawn alone is centred in its cells.
    void flush() {
        if (FText.isEmpty())
            return;
        qreal x = FX;
        if (FAlone)
            x += (FWidth - FPainter.fontMetrics().horizontalAdvance(FText)) / 2;
        FPainter.drawText(QPointF(x, FBaseline), FText);
        FText.clear();
    }

private:
    QPainter& FPainter;
    qreal FBaseline;
    QString FText;
    qreal FX = 0;
    qreal FWidth = 0;
    bool FAlone = false;
};

} // namespace

void TextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setFont(font());
    const int height = rowHeight();
    const int last = std::min(FModel.rowCount() - 1, firstRow() + viewport()->height() / height);
    for (int row = firstRow(); row <= last; ++row)
        paintRow(painter, row, (row - firstRow()) * height);
    // A painted row wider than the scroll range (tabs, wide characters) widens the range.
    if (horizontalRange() > horizontalScrollBar()->maximum())
        scheduleLayout(false);
    // Told once, after the paint: the handler may open a box.
    if (FModel.changedAtSource() && !FChangeTold) {
        FChangeTold = true;
        QTimer::singleShot(0, this, &TextView::sourceChanged);
    }
}

// Draws the characters of [from, end) of a row: runs of text between tabs and control
// characters, which are drawn as small boxes.
void TextView::paintText(QPainter& painter, const RowCells& cells, Cell from, qint64 end,
                         int y) const {
    const qreal cell = cellWidth();
    const QFontMetrics metrics = fontMetrics();
    Run run(painter, y + metrics.ascent());
    qint64 column = from.column;
    for (qint64 byte = from.byte; byte < end;) {
        const RowChar c = cells.charAt(byte);
        const qint64 width = cells.width({byte, column});
        if (c.tab || c.control) {
            run.flush();
            if (c.control)
                painter.drawRect(QRectF(rowX(column) + 1, y + 2, cell - 2, metrics.height() - 4));
        } else if (width == 0) {
            if (IsMark(c.code) && !run.empty())
                run.add(c.code);
        } else {
            const bool alone = cells.utf8() && !JoinsRun(c.code, width);
            if (alone || run.alone() || run.empty())
                run.start(rowX(column), qreal(width) * cell, alone);
            run.add(c.code);
        }
        column += width;
        byte += c.length;
    }
    run.flush();
}

// Fills the cells of the marked occurrences that overlap the slice [from, sliceEnd) of a row.
void TextView::paintMarks(QPainter& painter, const RowCells& cells, Cell from, qint64 sliceEnd,
                          int y) const {
    if (FMarkedPattern.empty())
        return;
    const std::vector<size_t> places = OccurrencesIn(
        cells.text(), size_t(from.byte), size_t(sliceEnd), FMarkedPattern, FModel.encoding());
    if (places.empty())
        return;
    const QColor color = MarkBackground(palette());
    const qreal cell = cellWidth();
    const auto length = qint64(FMarkedPattern.size());
    Cell at = from; // the start of the last occurrence painted, walked forward
    for (const size_t place : places) {
        const qint64 first = std::max(qint64(place), from.byte);
        const qint64 last = std::min(qint64(place) + length, sliceEnd);
        at = {first, cells.columnOf(at, first)};
        const qint64 end = cells.columnOf(at, last);
        painter.fillRect(QRectF(rowX(at.column), y, qreal(end - at.column) * cell, rowHeight()),
                         color);
    }
}

// Draws the slice of row that lies in sight, then the selected part over a highlight, then the
// caret.
void TextView::paintRow(QPainter& painter, int row, int y) const {
    const RowCells cells = cellsOf(row);
    const qreal cell = cellWidth();
    const qint64 leftColumn = qint64(std::max(0, horizontalScrollBar()->value() - kMargin) / cell);
    const qint64 columns = qint64(viewport()->width() / cell) + 2;
    const Cell from = cells.seek({}, leftColumn);
    const Cell to = cells.seek(from, leftColumn + columns);
    const qint64 sliceEnd = to.byte < cells.size() ? cells.next(to.byte) : cells.size();
    if (sliceEnd == cells.size())
        FWidestColumns = std::max(FWidestColumns, cells.columnOf(to, sliceEnd));

    paintMarks(painter, cells, from, sliceEnd, y);
    painter.setPen(palette().color(QPalette::Text));
    paintText(painter, cells, from, sliceEnd, y);

    if (!hasFocus())
        return;
    const qint64 start = FModel.rowStart(row);
    const qint64 end = start + cells.size();
    const qint64 selFirst = std::min(FModel.anchor(), FModel.caret());
    const qint64 selLast = std::max(FModel.anchor(), FModel.caret());
    if (selLast > start && selFirst <= end && selLast > selFirst) {
        const qint64 a = std::clamp(selFirst - start, from.byte, sliceEnd);
        const qint64 b = std::clamp(selLast - start, from.byte, sliceEnd);
        const qint64 colA = cells.columnOf(from, a);
        qint64 colB = cells.columnOf(from, b);
        if (selLast > end && row + 1 < FModel.rowCount())
            ++colB; // the line break is selected: one cell past the end shows it
        const QRectF band(rowX(colA), y, qreal(colB - colA) * cell, rowHeight());
        painter.fillRect(band.intersected(QRectF(0, y, viewport()->width(), rowHeight())),
                         palette().color(QPalette::Highlight));
        painter.save();
        painter.setClipRect(band);
        painter.setPen(palette().color(QPalette::HighlightedText));
        paintText(painter, cells, from, sliceEnd, y);
        painter.restore();
    }
    const qint64 caret = FModel.caret();
    if (FModel.rowOfOffset(caret) == row) {
        const qint64 byte = std::min(caret - start, sliceEnd);
        const qint64 column = byte >= from.byte ? cells.columnOf(from, byte) : -1;
        if (column >= 0)
            painter.fillRect(QRectF(rowX(column), y, 1, rowHeight()),
                             palette().color(QPalette::Text));
    }
}
