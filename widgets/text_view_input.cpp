// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard and mouse in the text view: caret motions by character, word and row, selection by
// drag, Shift+click and double-click, the context menu.
#include "widgets/text_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

// ---- caret motions

qint64 TextView::nextChar(qint64 offset) const {
    return FModel.nextChar(offset);
}

qint64 TextView::previousChar(qint64 offset) const {
    return FModel.previousChar(offset);
}

qint64 TextView::target(Motion motion) const {
    const qint64 caret = FModel.caret();
    const int row = FModel.rowOfOffset(caret);
    const qint64 start = FModel.rowStart(row);
    const qint64 end = start + FModel.rowLength(row);
    const int lastRow = FModel.rowCount() - 1;
    const qint64 goal = FGoalColumn >= 0 ? FGoalColumn : columnOf(caret);
    const int page = std::max(1, visibleRows() - 1);
    switch (motion) {
    case Motion::CharLeft:
        if (caret > start)
            return caret > end ? end : previousChar(caret);
        return row > 0 ? start - 2 : 0;
    case Motion::CharRight:
        if (caret < end)
            return nextChar(caret);
        return row < lastRow ? FModel.rowStart(row + 1) : end;
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

// The end of a row that holds text is no stop (a screen reader would read the line break as a
// word): a step from its last word goes on to the next row's first one, and back.
qint64 TextView::wordEdge(qint64 offset, int direction) const {
    const qint64 size = FModel.size();
    const auto breakAt = [&](qint64 i) { // bytes of the line break that begins at i
        return FModel.pairAt(i) ? 2 : 1;
    };
    const auto skipBlanks = [&](qint64 at, int step) {
        if (step > 0)
            while (at < size && FModel.classAt(at) == CharClass::Blank)
                at = nextChar(at);
        else
            while (at > 0 && FModel.classAt(previousChar(at)) == CharClass::Blank)
                at = previousChar(at);
        return at;
    };
    if (direction > 0) {
        if (offset >= size)
            return size;
        const CharClass cls = FModel.classAt(offset);
        if (cls == CharClass::Break) {
            offset += breakAt(offset);
        } else {
            while (offset < size && FModel.classAt(offset) == cls)
                offset = nextChar(offset);
            offset = skipBlanks(offset, +1);
            if (offset < size && FModel.classAt(offset) == CharClass::Break)
                offset += breakAt(offset);
        }
        return skipBlanks(offset, +1);
    }
    offset = skipBlanks(offset, -1);
    if (offset == 0)
        return 0;
    CharClass cls = FModel.classAt(previousChar(offset));
    if (cls == CharClass::Break) {
        const qint64 rowEnd = offset - (offset >= 2 && breakAt(offset - 2) == 2 ? 2 : 1);
        if (rowEnd == 0 || FModel.classAt(previousChar(rowEnd)) == CharClass::Break)
            return rowEnd; // an empty row is a stop
        offset = skipBlanks(rowEnd, -1);
        if (offset == 0 || FModel.classAt(previousChar(offset)) == CharClass::Break)
            return offset; // so is a row of blanks
        cls = FModel.classAt(previousChar(offset));
    }
    while (offset > 0 && FModel.classAt(previousChar(offset)) == cls)
        offset = previousChar(offset);
    return offset;
}

void TextView::selectWordAt(QPoint pos) {
    const int row = std::clamp(rowAt(pos), 0, FModel.rowCount() - 1);
    const RowCells cells = cellsOf(row);
    const qint64 start = FModel.rowStart(row);
    qint64 byte = cellUnder(row, pos).byte;
    if (byte >= cells.size()) {
        if (cells.size() == 0) {
            setSelection(start, start);
            return;
        }
        byte = cells.previous(cells.size());
    }
    const CharClass cls = FModel.classAt(start + byte);
    qint64 first = byte;
    qint64 last = cells.next(byte);
    while (first > 0 && FModel.classAt(start + cells.previous(first)) == cls)
        first = cells.previous(first);
    while (last < cells.size() && FModel.classAt(start + last) == cls)
        last = cells.next(last);
    setSelection(start + first, start + last);
}

void TextView::moveCaret(Motion motion, bool extend) {
    const bool vertical = motion == Motion::RowUp || motion == Motion::RowDown ||
                          motion == Motion::PageUp || motion == Motion::PageDown;
    const qint64 goal = FGoalColumn >= 0 ? FGoalColumn : columnOf(FModel.caret());
    const qint64 selFirst = std::min(FModel.anchor(), FModel.caret());
    const qint64 selLast = std::max(FModel.anchor(), FModel.caret());
    qint64 caret = target(motion);
    if (!extend && selLast > selFirst && motion == Motion::CharLeft)
        caret = selFirst;
    if (!extend && selLast > selFirst && motion == Motion::CharRight)
        caret = selLast;
    if (motion == Motion::PageUp || motion == Motion::PageDown) {
        const int page = std::max(1, visibleRows() - 1);
        verticalScrollBar()->setValue(firstRow() + (motion == Motion::PageUp ? -page : page));
    }
    setSelection(extend ? FModel.anchor() : caret, caret);
    FGoalColumn = vertical ? goal : -1;
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
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        modifiers == Qt::NoModifier) {
        emit returnPressed();
        return;
    }
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
    copyAction->setEnabled(FModel.anchor() != FModel.caret());
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
    setSelection(FModel.anchor(), offsetAt(inside));
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
