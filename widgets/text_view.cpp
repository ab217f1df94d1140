// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/text_view.h"

#include "text/errors.h"
#include "widgets/accessibility.h"
#include "widgets/fixed_font.h"
#include "widgets/map_scroll_bar.h"
#include "widgets/qtext.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kAutoScrollMs = 40; // pace of the scrolling while a drag is outside the view

} // namespace

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
    InstallAccessibleInterfaces();
    setFont(FixedPitchFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    FAutoScroll.setInterval(kAutoScrollMs);
    connect(&FAutoScroll, &QTimer::timeout, this, &TextView::autoScroll);
    setVerticalScrollBar(new MapScrollBar(this));
    updateScrollBars();
}

// ---- the text-view operations

void TextView::loadFromFile(const std::string& path) {
    adopt(TextModel::readFile(path, FModel.limits()));
}

void TextView::adopt(OpenedText loaded) {
    setUpdatesEnabled(false);
    struct Resume {
        TextView* view;
        ~Resume() { view->setUpdatesEnabled(true); }
    } resume{this};
    const QString before = accessibleText();
    if (!FModel.adopt(std::move(loaded)))
        return;
    FChangeTold = false;
    FHint = {};
    FGoalColumn = -1;
    FWidestColumns = 0;
    setOccurrenceMap({});
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    announceReplaced(before);
}

void TextView::appendLine(std::string_view s) {
    const qint64 from = FModel.size();
    FModel.appendLine(s);
    FHint = {};
    scheduleLayout(true);
    announceAppended(from);
}

void TextView::appendLines(std::string_view lines) {
    const qint64 from = FModel.size();
    FModel.appendLines(lines);
    FHint = {};
    scheduleLayout(true);
    announceAppended(from);
}

void TextView::appendLines(IndexedLines&& lines) {
    const qint64 from = FModel.size();
    FModel.appendLines(std::move(lines));
    FHint = {};
    scheduleLayout(true);
    announceAppended(from);
}

void TextView::clear() {
    clear(FModel.encoding());
}

void TextView::clear(TextEncoding encoding) {
    const QString before = accessibleText();
    FModel.clear(encoding);
    FChangeTold = false;
    clearMarks();
    FHint = {};
    FWidestColumns = 0;
    FGoalColumn = -1;
    scheduleLayout(true);
    announceReplaced(before);
}

void TextView::setSelStart(qint64 offset) {
    const qint64 anchor = FModel.anchor();
    const qint64 caret = FModel.caret();
    FModel.setSelStart(offset);
    FGoalColumn = -1;
    showSelection(anchor, caret);
}

void TextView::setSelLength(qint64 length) {
    const qint64 anchor = FModel.anchor();
    const qint64 caret = FModel.caret();
    FModel.setSelLength(length);
    FGoalColumn = -1;
    showSelection(anchor, caret);
}

void TextView::placeCaret(qint64 offset) {
    if (std::exchange(FScrollPending, false)) {
        updateScrollBars();
        ensureCaretVisible();
    }
    const qint64 anchor = FModel.anchor();
    const qint64 caret = FModel.caret();
    FModel.setSelection(offset, offset);
    FGoalColumn = -1;
    viewport()->update();
    announceSelection(anchor, caret);
}

void TextView::setScrollBars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical) {
    setHorizontalScrollBarPolicy(horizontal);
    setVerticalScrollBarPolicy(vertical);
}

void TextView::setMarkedPattern(std::string pattern) {
    FMarkedPattern = std::move(pattern);
    viewport()->update();
}

MapScrollBar* TextView::mapBar() const {
    return static_cast<MapScrollBar*>(verticalScrollBar());
}

void TextView::setOccurrenceMap(const OccurrenceMap& map) {
    mapBar()->setMap(map);
}

const OccurrenceMap& TextView::occurrenceMap() const {
    return mapBar()->map();
}

void TextView::clearMarks() {
    setMarkedPattern({});
    setOccurrenceMap({});
}

void TextView::selectAll() {
    setSelection(0, FModel.size());
}

void TextView::copy() const {
    if (FModel.selectionSize() > kMaxCopiedBytes)
        throw EInvalidOperation(SelectionTooLargeMessage(kMaxCopiedBytes, "elle n'est pas copiée"));
    if (FModel.anchor() != FModel.caret())
        QGuiApplication::clipboard()->setText(ToQString(FModel.selectedText(), encoding()));
}

void TextView::setSelection(qint64 anchor, qint64 caret) {
    const qint64 oldAnchor = FModel.anchor();
    const qint64 oldCaret = FModel.caret();
    FModel.setSelection(anchor, caret);
    showSelection(oldAnchor, oldCaret);
}

void TextView::showSelection(qint64 oldAnchor, qint64 oldCaret) {
    ensureCaretVisible();
    viewport()->update();
    announceSelection(oldAnchor, oldCaret);
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

RowCells TextView::cellsOf(int row) const {
    return RowCells(FModel.rowText(row), FModel.encoding(), &FHint, row);
}

qint64 TextView::columnOf(qint64 offset) const {
    const int row = FModel.rowOfOffset(offset);
    return cellsOf(row).columnOf({}, offset - FModel.rowStart(row));
}

int TextView::rowAt(QPoint pos) const {
    return firstRow() + int(std::floor(qreal(pos.y()) / rowHeight()));
}

qreal TextView::columnAt(QPoint pos) const {
    return qreal(pos.x() - kMargin + horizontalScrollBar()->value()) / cellWidth();
}

Cell TextView::cellUnder(int row, QPoint pos) const {
    return cellsOf(row).seek({}, qint64(std::max<qreal>(0, columnAt(pos))));
}

qint64 TextView::charAt(QPoint pos) const {
    const int row = rowAt(pos);
    if (!viewport()->rect().contains(pos) || row < 0 || row >= FModel.rowCount() ||
        columnAt(pos) < 0)
        return -1;
    const qint64 byte = cellUnder(row, pos).byte;
    return byte < FModel.rowLength(row) ? FModel.rowStart(row) + byte : -1;
}

qint64 TextView::offsetAt(QPoint pos) const {
    const int row = std::clamp(rowAt(pos), 0, FModel.rowCount() - 1);
    const RowCells cells = cellsOf(row);
    const Cell cell = cellUnder(row, pos);
    qint64 byte = cell.byte;
    const qreal x = std::max<qreal>(0, columnAt(pos));
    if (byte < cells.size() && x - qreal(cell.column) >= qreal(cells.width(cell)) / 2)
        byte = cells.next(byte);
    return FModel.rowStart(row) + byte;
}

QRect TextView::charRect(qint64 offset) const {
    const auto pixels = [](qreal value) {
        return int(std::clamp<qreal>(value, INT_MIN / 2, INT_MAX / 2));
    };
    const int row = FModel.rowOfOffset(offset);
    const RowCells cells = cellsOf(row);
    const Cell cell{offset - FModel.rowStart(row), columnOf(offset)};
    const qint64 cellCount = cell.byte < cells.size() ? cells.width(cell) : 1;
    return QRect(pixels(rowX(cell.column)), pixels(qreal(row - firstRow()) * rowHeight()),
                 pixels(std::ceil(qreal(cellCount) * cellWidth())), rowHeight());
}

qint64 TextView::offsetAtColumn(int row, qint64 column) const {
    return FModel.rowStart(row) + cellsOf(row).seek({}, column).byte;
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

// Pixels by which the widest row known exceeds the view, one cell for the caret included. A row's
// bytes bound its cells but where tabs and wide characters make it wider, which painting learns.
int TextView::horizontalRange() const {
    const qint64 columns = std::max<qint64>(FModel.longestRow(), FWidestColumns) + 1;
    const qreal width = 2 * kMargin + qreal(columns) * cellWidth();
    return int(std::clamp<qreal>(width - viewport()->width(), 0, INT_MAX));
}

void TextView::ensureCaretVisible() {
    ensureVisible(FModel.caret());
}

void TextView::ensureVisible(qint64 offset) {
    if (FLayoutPending)
        updateScrollBars();
    const int row = FModel.rowOfOffset(offset);
    QScrollBar* vertical = verticalScrollBar();
    if (row < vertical->value())
        vertical->setValue(row);
    else if (row >= vertical->value() + visibleRows())
        vertical->setValue(row - visibleRows() + 1);

    const qreal x = kMargin + qreal(columnOf(offset)) * cellWidth();
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
    // Back in the window, the file is looked at again: it may have been rewritten meanwhile
    // while every page shown was read before.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !FChangeTold &&
        FModel.recheckSource()) {
        FHint = {};
        viewport()->update();
    }
}

void TextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        ensureCaretVisible();
    viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
