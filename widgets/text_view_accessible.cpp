// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/text_view_accessible.h"

#include "widgets/accessibility.h"
#include "widgets/qtext.h"
#include "widgets/text_view.h"

#include <algorithm>
#include <climits>

TextViewAccessible::TextViewAccessible(TextView* view) : QAccessibleWidget(view) {}

QString TextViewAccessible::rangeText(const TextModel& model, qint64 from, qint64 to) {
    return ToQString(model.piece(from, to, kMaxRange), model.encoding());
}

int TextViewAccessible::characterOffset(const TextModel& model, qint64 byte) {
    return int(std::clamp<qint64>(model.charOffset(byte), 0, INT_MAX));
}

TextView* TextViewAccessible::view() const {
    return static_cast<TextView*>(widget());
}

const TextModel& TextViewAccessible::model() const {
    return view()->model();
}

qint64 TextViewAccessible::byteOf(int offset) const {
    return model().byteOffset(std::max(offset, 0));
}

int TextViewAccessible::offsetOf(qint64 byte) const {
    return characterOffset(model(), byte);
}

QAccessible::Role TextViewAccessible::role() const {
    return QAccessible::EditableText;
}

QAccessible::State TextViewAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void* TextViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

// ---- selection and caret

void TextViewAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    const qint64 anchor = model().anchor();
    const qint64 caret = model().caret();
    if (selectionIndex != 0 || anchor == caret)
        return;
    *startOffset = offsetOf(std::min(anchor, caret));
    *endOffset = offsetOf(std::max(anchor, caret));
}

int TextViewAccessible::selectionCount() const {
    return model().anchor() != model().caret() ? 1 : 0;
}

void TextViewAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void TextViewAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        view()->setSelection(model().caret(), model().caret());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        view()->setSelection(byteOf(startOffset), byteOf(endOffset));
}

int TextViewAccessible::cursorPosition() const {
    return offsetOf(model().caret());
}

void TextViewAccessible::setCursorPosition(int position) {
    const qint64 byte = byteOf(position);
    view()->setSelection(byte, byte);
}

// ---- text

int TextViewAccessible::characterCount() const {
    return offsetOf(model().size());
}

// A negative end, as Qt passes for "to the end", reaches the end of the text.
QString TextViewAccessible::text(int startOffset, int endOffset) const {
    const qint64 end = endOffset < 0 ? model().size() : byteOf(endOffset);
    return rangeText(model(), byteOf(startOffset), end);
}

TextViewAccessible::Span TextViewAccessible::unitAt(qint64 byte,
                                                    QAccessible::TextBoundaryType type) const {
    const TextModel& text = model();
    switch (type) {
    case QAccessible::CharBoundary:
        return {byte, byte < text.size() ? view()->nextChar(byte) : byte};
    case QAccessible::WordBoundary:
        return wordAt(byte);
    case QAccessible::NoBoundary:
        return {0, text.size()};
    case QAccessible::SentenceBoundary: // no wrap: a line is a paragraph, and our sentence
    case QAccessible::ParagraphBoundary:
    case QAccessible::LineBoundary:
        break;
    }
    const int row = text.rowOfOffset(byte);
    return {text.rowStart(row), text.rowStart(row + 1)};
}

// Words as Ctrl+arrows stop at them: from one stop to the next, blanks after a word included,
// within a row; a line break is a unit of its own.
TextViewAccessible::Span TextViewAccessible::wordAt(qint64 byte) const {
    const TextView& v = *view();
    const TextModel& text = model();
    const int row = text.rowOfOffset(std::min<qint64>(byte, text.size()));
    const qint64 rowStart = text.rowStart(row);
    const qint64 rowEnd = rowStart + text.rowLength(row);
    if (byte >= rowEnd)
        return {rowEnd, byte >= text.size() ? rowEnd : text.rowStart(row + 1)};
    const qint64 start = std::max(v.wordEdge(v.nextChar(byte), -1), rowStart);
    const qint64 end = std::min(v.wordEdge(start, +1), rowEnd);
    if (start > byte || end <= byte)
        return {byte, v.nextChar(byte)};
    return {start, end};
}

QString TextViewAccessible::answer(Span span, int* startOffset, int* endOffset) const {
    *startOffset = offsetOf(span.first);
    *endOffset = offsetOf(span.second);
    return rangeText(model(), span.first, span.second);
}

QString TextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    return answer(unitAt(byteOf(offset), boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int* startOffset, int* endOffset) const {
    const qint64 first = unitAt(byteOf(offset), boundaryType).first;
    if (first == 0)
        return answer({0, 0}, startOffset, endOffset);
    return answer(unitAt(view()->previousChar(first), boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int* startOffset, int* endOffset) const {
    const qint64 size = model().size();
    const qint64 end = unitAt(byteOf(offset), boundaryType).second;
    if (end >= size)
        return answer({size, size}, startOffset, endOffset);
    return answer(unitAt(end, boundaryType), startOffset, endOffset);
}

// The text has no attributes: one run spans it all.
QString TextViewAccessible::attributes(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// ---- geometry

QRect TextViewAccessible::characterRect(int offset) const {
    const QRect local = view()->charRect(byteOf(offset));
    return QRect(view()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint& point) const {
    const qint64 byte = view()->charAt(view()->viewport()->mapFromGlobal(point));
    return byte < 0 ? -1 : offsetOf(byte);
}

void TextViewAccessible::scrollToSubstring(int startIndex, int) {
    view()->ensureVisible(byteOf(startIndex));
    view()->viewport()->update();
}

// ---- events of the view, sent only while an assistive technology is active

QString TextView::accessibleText() const {
    return AccessibilityActive() ? TextViewAccessible::rangeText(FModel, 0, FModel.size())
                                 : QString();
}

void TextView::announceReplaced(const QString& before) {
    if (!AccessibilityActive())
        return;
    const QString after = accessibleText();
    if (before.isEmpty() && after.isEmpty())
        return;
    QAccessibleTextUpdateEvent event(this, 0, before, after);
    event.setCursorPosition(TextViewAccessible::characterOffset(FModel, FModel.caret()));
    SendAccessibilityEvent(event);
}

void TextView::announceAppended(qint64 from) {
    if (!AccessibilityActive() || from >= FModel.size())
        return;
    QAccessibleTextInsertEvent event(this, TextViewAccessible::characterOffset(FModel, from),
                                     TextViewAccessible::rangeText(FModel, from, FModel.size()));
    SendAccessibilityEvent(event);
}

void TextView::announceSelection(qint64 oldAnchor, qint64 oldCaret) {
    const qint64 anchor = FModel.anchor();
    const qint64 caret = FModel.caret();
    if (!AccessibilityActive() || (anchor == oldAnchor && caret == oldCaret))
        return;
    const auto offset = [this](qint64 byte) {
        return TextViewAccessible::characterOffset(FModel, byte);
    };
    const int at = offset(caret);
    if (oldAnchor != oldCaret || anchor != caret) {
        QAccessibleTextSelectionEvent event(this, offset(std::min(anchor, caret)),
                                            offset(std::max(anchor, caret)));
        event.setCursorPosition(at);
        SendAccessibilityEvent(event);
    }
    if (caret != oldCaret) {
        QAccessibleTextCursorEvent event(this, at);
        SendAccessibilityEvent(event);
    }
}
