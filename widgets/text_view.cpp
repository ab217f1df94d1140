#include "widgets/text_view.h"

#include "text/cp1252.h"
#include "widgets/qtext.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr qint64 kTabWidth = 8;
constexpr int kMargin = 3;        // pixels left of the first column
constexpr int kAutoScrollMs = 40; // pace of the scrolling while a drag is outside the view
constexpr char kTab = '\t';

bool IsControl(unsigned char b) {
    const char16_t u = Cp1252ToUnicode(b);
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

// A place in a row: a byte index and the column at which that byte's cell begins.
struct Cell {
    qint64 byte = 0;
    qint64 column = 0;
};

qint64 NextTabStop(qint64 column) {
    return (column / kTabWidth + 1) * kTabWidth;
}

// From `from`, the cell that holds column (or the end of the row). Reads no further than needed,
// so a slice far into a long row costs one memchr over its prefix.
Cell SeekColumn(std::string_view row, Cell from, qint64 column) {
    const qint64 size = qint64(row.size());
    while (from.byte < size && from.column <= column) {
        const qint64 reach = std::min(size - from.byte, column - from.column + 1);
        const char* start = row.data() + from.byte;
        const auto* tab = static_cast<const char*>(std::memchr(start, kTab, size_t(reach)));
        if (!tab) {
            const qint64 byte = from.byte + (column - from.column);
            if (byte >= size)
                return {size, from.column + (size - from.byte)};
            return {byte, column};
        }
        from.column += tab - start;
        from.byte += tab - start;
        if (column < NextTabStop(from.column))
            return from;
        from.column = NextTabStop(from.column);
        ++from.byte;
    }
    return from;
}

// The column at which byte begins, counting from `from`.
qint64 ColumnOf(std::string_view row, Cell from, qint64 byte) {
    byte = std::min(byte, qint64(row.size()));
    while (from.byte < byte) {
        const char* start = row.data() + from.byte;
        const auto* tab =
            static_cast<const char*>(std::memchr(start, kTab, size_t(byte - from.byte)));
        if (!tab)
            return from.column + (byte - from.byte);
        from.column = NextTabStop(from.column + (tab - start));
        from.byte += tab - start + 1;
    }
    return from.column;
}

// Word characters for double-clicks and Ctrl+arrows: letters and digits of the code page, '_'.
int CharClass(unsigned char b) {
    if (b == ' ' || b == kTab)
        return 0;
    if (b == '\r' || b == '\n')
        return 1;
    const QChar c(Cp1252ToUnicode(b));
    return c.isLetterOrNumber() || c == QLatin1Char('_') ? 2 : 3;
}

} // namespace

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    FAutoScroll.setInterval(kAutoScrollMs);
    connect(&FAutoScroll, &QTimer::timeout, this, &TextView::autoScroll);
    updateScrollBars();
}

// ---- the text-view operations

void TextView::loadFromFile(const std::string& path) {
    setUpdatesEnabled(false);
    struct Resume {
        TextView* view;
        ~Resume() { view->setUpdatesEnabled(true); }
    } resume{this};
    if (!FModel.loadFromFile(path))
        return;
    FGoalColumn = -1;
    FWidestColumns = 0;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void TextView::appendLine(std::string_view s) {
    FModel.appendLine(s);
    scheduleLayout(true);
}

void TextView::appendLines(std::string_view lines) {
    FModel.appendLines(lines);
    scheduleLayout(true);
}

void TextView::clear() {
    FModel.clear();
    FWidestColumns = 0;
    FGoalColumn = -1;
    scheduleLayout(true);
}

void TextView::setSelStart(qint64 offset) {
    FModel.setSelStart(offset);
    FGoalColumn = -1;
    ensureCaretVisible();
    viewport()->update();
}

void TextView::setSelLength(qint64 length) {
    FModel.setSelLength(length);
    FGoalColumn = -1;
    ensureCaretVisible();
    viewport()->update();
}

void TextView::setScrollBars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical) {
    setHorizontalScrollBarPolicy(horizontal);
    setVerticalScrollBarPolicy(vertical);
}

void TextView::selectAll() {
    setSelection(0, FModel.size());
}

void TextView::copy() const {
    if (FModel.selLength() > 0)
        QGuiApplication::clipboard()->setText(ToQString(FModel.selectedText()));
}

// ---- geometry

qreal TextView::cellWidth() const {
    return std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('x')));
}

int TextView::rowHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int TextView::firstRow() const {
    return verticalScrollBar()->value();
}

int TextView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

qreal TextView::rowX(qint64 column) const {
    return kMargin + qreal(column) * cellWidth() - horizontalScrollBar()->value();
}

qint64 TextView::columnOf(qint64 offset) const {
    const int row = FModel.rowOfOffset(offset);
    return ColumnOf(FModel.rowText(row), {}, offset - FModel.rowOffset(row));
}

// The offset nearest to pos: a click in the right half of a cell goes after it.
qint64 TextView::offsetAt(QPoint pos) const {
    const int row = std::clamp(firstRow() + int(std::floor(qreal(pos.y()) / rowHeight())), 0,
                               FModel.rowCount() - 1);
    const std::string_view text = FModel.rowText(row);
    const qreal x =
        std::max<qreal>(0, pos.x() - kMargin + horizontalScrollBar()->value()) / cellWidth();
    const Cell cell = SeekColumn(text, {}, qint64(x));
    qint64 byte = cell.byte;
    if (byte < qint64(text.size())) {
        const qint64 width =
            text[size_t(byte)] == kTab ? NextTabStop(cell.column) - cell.column : 1;
        byte += x - qreal(cell.column) >= qreal(width) / 2;
    }
    return FModel.rowOffset(row) + byte;
}

qint64 TextView::offsetAtColumn(int row, qint64 column) const {
    const std::string_view text = FModel.rowText(row);
    const Cell cell = SeekColumn(text, {}, column);
    return FModel.rowOffset(row) + cell.byte;
}

// ---- caret motions

qint64 TextView::target(Motion motion) const {
    const qint64 caret = FModel.caret();
    const int row = FModel.rowOfOffset(caret);
    const qint64 start = FModel.rowOffset(row);
    const qint64 end = start + qint64(FModel.rowText(row).size());
    const int lastRow = FModel.rowCount() - 1;
    const qint64 goal = FGoalColumn >= 0 ? FGoalColumn : columnOf(caret);
    const int page = std::max(1, visibleRows() - 1);
    switch (motion) {
    case Motion::CharLeft:
        if (caret > start)
            return std::min(caret - 1, end);
        return row > 0 ? start - 2 : 0;
    case Motion::CharRight:
        if (caret < end)
            return caret + 1;
        return row < lastRow ? FModel.rowOffset(row + 1) : end;
    case Motion::WordLeft:
        return wordEdge(caret, -1);
    case Motion::WordRight:
        return wordEdge(caret, +1);
    case Motion::RowUp:
        return row > 0 ? offsetAtColumn(row - 1, goal) : 0;
    case Motion::RowDown:
        return row < lastRow ? offsetAtColumn(row + 1, goal) : FModel.size();
    case Motion::PageUp:
        return offsetAtColumn(std::max(0, row - page), goal);
    case Motion::PageDown:
        return offsetAtColumn(std::min(lastRow, row + page), goal);
    case Motion::RowStart:
        return start;
    case Motion::RowEnd:
        return end;
    case Motion::TextStart:
        return 0;
    case Motion::TextEnd:
        return FModel.size();
    }
    return caret;
}

// The start of the next word (direction +1) or of this or the previous one (-1); a line break
// counts as one stop.
qint64 TextView::wordEdge(qint64 offset, int direction) const {
    const std::string& text = FModel.text();
    const qint64 size = FModel.size();
    const auto classAt = [&](qint64 i) {
        return CharClass(static_cast<unsigned char>(text[size_t(i)]));
    };
    const auto isPair = [&](qint64 i) {
        return i >= 0 && i + 1 < size && text[size_t(i)] == '\r' && text[size_t(i) + 1] == '\n';
    };
    if (direction > 0) {
        if (offset >= size)
            return size;
        const int cls = classAt(offset);
        if (cls == 1)
            offset += isPair(offset) ? 2 : 1;
        else
            while (offset < size && classAt(offset) == cls)
                ++offset;
        while (offset < size && classAt(offset) == 0)
            ++offset;
        return offset;
    }
    while (offset > 0 && classAt(offset - 1) == 0)
        --offset;
    if (offset == 0)
        return 0;
    const int cls = classAt(offset - 1);
    if (cls == 1)
        return offset - (isPair(offset - 2) ? 2 : 1);
    while (offset > 0 && classAt(offset - 1) == cls)
        --offset;
    return offset;
}

void TextView::selectWordAt(QPoint pos) {
    const int row = std::clamp(firstRow() + pos.y() / rowHeight(), 0, FModel.rowCount() - 1);
    const std::string_view text = FModel.rowText(row);
    const qreal x =
        std::max<qreal>(0, pos.x() - kMargin + horizontalScrollBar()->value()) / cellWidth();
    qint64 byte = SeekColumn(text, {}, qint64(x)).byte;
    if (byte >= qint64(text.size()))
        byte = qint64(text.size()) - 1;
    const qint64 start = FModel.rowOffset(row);
    if (byte < 0) {
        setSelection(start, start);
        return;
    }
    const auto classAt = [&](qint64 i) {
        return CharClass(static_cast<unsigned char>(text[size_t(i)]));
    };
    const int cls = classAt(byte);
    qint64 first = byte;
    qint64 last = byte + 1;
    while (first > 0 && classAt(first - 1) == cls)
        --first;
    while (last < qint64(text.size()) && classAt(last) == cls)
        ++last;
    setSelection(start + first, start + last);
}

void TextView::moveCaret(Motion motion, bool extend) {
    const bool vertical = motion == Motion::RowUp || motion == Motion::RowDown ||
                          motion == Motion::PageUp || motion == Motion::PageDown;
    const qint64 goal = FGoalColumn >= 0 ? FGoalColumn : columnOf(FModel.caret());
    qint64 caret = target(motion);
    if (!extend && FModel.selLength() > 0 && motion == Motion::CharLeft)
        caret = FModel.selStart();
    if (!extend && FModel.selLength() > 0 && motion == Motion::CharRight)
        caret = FModel.selStart() + FModel.selLength();
    if (motion == Motion::PageUp || motion == Motion::PageDown) {
        const int page = std::max(1, visibleRows() - 1);
        verticalScrollBar()->setValue(firstRow() + (motion == Motion::PageUp ? -page : page));
    }
    setSelection(extend ? FModel.anchor() : caret, caret);
    FGoalColumn = vertical ? goal : -1;
}

void TextView::setSelection(qint64 anchor, qint64 caret) {
    FModel.setSelection(anchor, caret);
    ensureCaretVisible();
    viewport()->update();
}

// ---- layout and scrolling

// Appends come by the million: the scroll bars follow once the event loop runs again.
void TextView::scheduleLayout(bool scrollToCaret) {
    FScrollPending = FScrollPending || scrollToCaret;
    if (FLayoutPending)
        return;
    FLayoutPending = true;
    QMetaObject::invokeMethod(this, &TextView::applyLayout, Qt::QueuedConnection);
}

void TextView::applyLayout() {
    if (!FLayoutPending)
        return;
    FLayoutPending = false;
    updateScrollBars();
    if (std::exchange(FScrollPending, false))
        ensureCaretVisible();
    viewport()->update();
}

void TextView::updateScrollBars() {
    const int rows = visibleRows();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, FModel.rowCount() - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);

    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, horizontalRange());
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(int(std::ceil(cellWidth())));
}

// Pixels by which the widest row known exceeds the view, one cell for the caret included.
int TextView::horizontalRange() const {
    const qint64 columns = std::max<qint64>(FModel.longestRow(), FWidestColumns) + 1;
    const qreal width = 2 * kMargin + qreal(columns) * cellWidth();
    return int(std::clamp<qreal>(width - viewport()->width(), 0, INT_MAX));
}

void TextView::ensureCaretVisible() {
    if (FLayoutPending)
        updateScrollBars();
    const int row = FModel.caretRow();
    QScrollBar* vertical = verticalScrollBar();
    if (row < vertical->value())
        vertical->setValue(row);
    else if (row >= vertical->value() + visibleRows())
        vertical->setValue(row - visibleRows() + 1);

    const qreal x = kMargin + qreal(columnOf(FModel.caret())) * cellWidth();
    QScrollBar* horizontal = horizontalScrollBar();
    const int page = viewport()->width();
    if (x - kMargin < horizontal->value())
        horizontal->setValue(int(x - kMargin));
    else if (x + cellWidth() + kMargin > horizontal->value() + page)
        horizontal->setValue(int(std::ceil(x + cellWidth() + kMargin - page)));
}

void TextView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollBars();
        viewport()->update();
    }
}

void TextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// ---- painting

void TextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setFont(font());
    const int height = rowHeight();
    const int last = std::min(FModel.rowCount() - 1, firstRow() + viewport()->height() / height);
    for (int row = firstRow(); row <= last; ++row)
        paintRow(painter, row, (row - firstRow()) * height);
    // A painted row wider than the scroll range (tabs) widens the range.
    if (horizontalRange() > horizontalScrollBar()->maximum())
        scheduleLayout(false);
}

// Draws the slice of row that lies in sight: text in runs between tabs and control characters
// (drawn as small boxes), then the selected part over a highlight, then the caret.
void TextView::paintRow(QPainter& painter, int row, int y) const {
    const std::string_view text = FModel.rowText(row);
    const qreal cell = cellWidth();
    const qint64 leftColumn = qint64(std::max(0, horizontalScrollBar()->value() - kMargin) / cell);
    const qint64 columns = qint64(viewport()->width() / cell) + 2;
    const Cell from = SeekColumn(text, {}, leftColumn);
    const Cell to = SeekColumn(text, from, leftColumn + columns);
    const qint64 sliceEnd = std::min(qint64(text.size()), to.byte + 1);
    if (sliceEnd == qint64(text.size()))
        FWidestColumns = std::max(FWidestColumns, ColumnOf(text, to, sliceEnd));

    const std::string_view slice = text.substr(size_t(from.byte), size_t(sliceEnd - from.byte));
    const QString decoded = ToQString(slice);
    const QFontMetrics metrics = fontMetrics();
    const int baseline = y + metrics.ascent();
    const auto drawSlice = [&](const QColor& color) {
        painter.setPen(color);
        qint64 column = from.column;
        qsizetype runStart = 0;
        qint64 runColumn = column;
        const auto flush = [&](qsizetype end) {
            if (end > runStart)
                painter.drawText(QPointF(rowX(runColumn), baseline),
                                 decoded.mid(runStart, end - runStart));
        };
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            const auto byte = static_cast<unsigned char>(slice[size_t(i)]);
            if (byte == kTab || IsControl(byte)) {
                flush(i);
                if (byte != kTab)
                    painter.drawRect(
                        QRectF(rowX(column) + 1, y + 2, cell - 2, metrics.height() - 4));
                column = byte == kTab ? NextTabStop(column) : column + 1;
                runStart = i + 1;
                runColumn = column;
            } else {
                ++column;
            }
        }
        flush(decoded.size());
    };
    drawSlice(palette().color(QPalette::Text));

    if (!hasFocus())
        return;
    const qint64 start = FModel.rowOffset(row);
    const qint64 end = start + qint64(text.size());
    const qint64 selFirst = FModel.selStart();
    const qint64 selLast = selFirst + FModel.selLength();
    if (selLast > start && selFirst <= end && FModel.selLength() > 0) {
        const qint64 a = std::clamp(selFirst - start, from.byte, sliceEnd);
        const qint64 b = std::clamp(selLast - start, from.byte, sliceEnd);
        const qint64 colA = ColumnOf(text, from, a);
        qint64 colB = ColumnOf(text, from, b);
        if (selLast > end && row + 1 < FModel.rowCount())
            ++colB; // the line break is selected: one cell past the end shows it
        const QRectF band(rowX(colA), y, qreal(colB - colA) * cell, height());
        painter.fillRect(band.intersected(QRectF(0, y, viewport()->width(), rowHeight())),
                         palette().color(QPalette::Highlight));
        painter.save();
        painter.setClipRect(band);
        drawSlice(palette().color(QPalette::HighlightedText));
        painter.restore();
    }
    const qint64 caret = FModel.caret();
    if (FModel.rowOfOffset(caret) == row) {
        const qint64 byte = std::min(caret - start, sliceEnd);
        const qint64 column = byte >= from.byte ? ColumnOf(text, from, byte) : -1;
        if (column >= 0)
            painter.fillRect(QRectF(rowX(column), y, 1, rowHeight()),
                             palette().color(QPalette::Text));
    }
}

// ---- keyboard

void TextView::keyPressEvent(QKeyEvent* event) {
    struct Binding {
        QKeySequence::StandardKey key;
        Motion motion;
        bool extend;
    };
    static const Binding kBindings[] = {
        {QKeySequence::MoveToPreviousChar, Motion::CharLeft, false},
        {QKeySequence::SelectPreviousChar, Motion::CharLeft, true},
        {QKeySequence::MoveToNextChar, Motion::CharRight, false},
        {QKeySequence::SelectNextChar, Motion::CharRight, true},
        {QKeySequence::MoveToPreviousWord, Motion::WordLeft, false},
        {QKeySequence::SelectPreviousWord, Motion::WordLeft, true},
        {QKeySequence::MoveToNextWord, Motion::WordRight, false},
        {QKeySequence::SelectNextWord, Motion::WordRight, true},
        {QKeySequence::MoveToPreviousLine, Motion::RowUp, false},
        {QKeySequence::SelectPreviousLine, Motion::RowUp, true},
        {QKeySequence::MoveToNextLine, Motion::RowDown, false},
        {QKeySequence::SelectNextLine, Motion::RowDown, true},
        {QKeySequence::MoveToPreviousPage, Motion::PageUp, false},
        {QKeySequence::SelectPreviousPage, Motion::PageUp, true},
        {QKeySequence::MoveToNextPage, Motion::PageDown, false},
        {QKeySequence::SelectNextPage, Motion::PageDown, true},
        {QKeySequence::MoveToStartOfLine, Motion::RowStart, false},
        {QKeySequence::SelectStartOfLine, Motion::RowStart, true},
        {QKeySequence::MoveToEndOfLine, Motion::RowEnd, false},
        {QKeySequence::SelectEndOfLine, Motion::RowEnd, true},
        {QKeySequence::MoveToStartOfDocument, Motion::TextStart, false},
        {QKeySequence::SelectStartOfDocument, Motion::TextStart, true},
        {QKeySequence::MoveToEndOfDocument, Motion::TextEnd, false},
        {QKeySequence::SelectEndOfDocument, Motion::TextEnd, true},
    };
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    for (const Binding& binding : kBindings) {
        if (event->matches(binding.key)) {
            moveCaret(binding.motion, binding.extend);
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- mouse

void TextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const qint64 offset = offsetAt(event->position().toPoint());
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    FGoalColumn = -1;
    FDragging = true;
    FMouse = event->position().toPoint();
    setSelection(extend ? FModel.anchor() : offset, offset);
}

void TextView::mouseMoveEvent(QMouseEvent* event) {
    if (!FDragging || !(event->buttons() & Qt::LeftButton))
        return;
    FMouse = event->position().toPoint();
    dragTo(FMouse);
    if (viewport()->rect().contains(FMouse))
        FAutoScroll.stop();
    else if (!FAutoScroll.isActive())
        FAutoScroll.start();
}

void TextView::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton) {
        FDragging = false;
        FAutoScroll.stop();
    }
    // The right button's release is reported when its context menu closes.
    if (button == Qt::LeftButton || button == Qt::MiddleButton)
        emit mouseReleased(button);
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    FDragging = false;
    FGoalColumn = -1;
    selectWordAt(event->position().toPoint());
    emit doubleClicked();
}

void TextView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("Copier"), this, &TextView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(FModel.selLength() > 0);
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("Tout sélectionner"), this, &TextView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(FModel.size() > 0);
    menu.exec(event->globalPos());
    if (event->reason() == QContextMenuEvent::Mouse)
        emit mouseReleased(Qt::RightButton);
}

void TextView::dragTo(QPoint pos) {
    const QRect area = viewport()->rect();
    const QPoint inside(std::clamp(pos.x(), area.left(), area.right()),
                        std::clamp(pos.y(), area.top(), area.bottom()));
    FModel.setSelection(FModel.anchor(), offsetAt(inside));
    ensureCaretVisible();
    viewport()->update();
}

// While a drag is outside the view, scrolls toward the pointer and extends the selection.
void TextView::autoScroll() {
    const QRect area = viewport()->rect();
    if (FMouse.y() < area.top())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (FMouse.y() > area.bottom())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (FMouse.x() < area.left())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (FMouse.x() > area.right())
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    dragTo(FMouse);
}
