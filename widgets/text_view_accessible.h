// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TextView as assistive technologies (screen readers, over AT-SPI) see it: a read-only
// multi-line text. Its offsets are the view's characters, CR LF counting two as in selStart, so
// a line break reads as "\r\n". Nothing is built ahead: a query decodes only the bytes it
// answers, and answers at most kMaxRange characters, so a text of a gigabyte costs no more to
// expose than a short one. Qt counts in int: the characters past INT_MAX of a text of 2 GiB are
// beyond reach, and every offset is clamped to [0, characterCount()].

#include <QAccessibleWidget>
#include <utility>

class TextModel;
class TextView;

class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    // The most characters that one range, line or word answers, and that an event carries.
    static constexpr int kMaxRange = 1 << 16;

    explicit TextViewAccessible(TextView* view);

    // The characters of the bytes [from, to) of model, cut to kMaxRange characters.
    static QString rangeText(const TextModel& model, qint64 from, qint64 to);
    // The character offset of byte in model, as Qt counts: clamped to int.
    static int characterOffset(const TextModel& model, qint64 byte);

    using QAccessibleWidget::text;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    using Span = std::pair<qint64, qint64>; // bytes [first, second)

    TextView* view() const;
    const TextModel& model() const;
    qint64 byteOf(int offset) const;
    int offsetOf(qint64 byte) const;
    // The character, word, line or whole text that holds byte.
    Span unitAt(qint64 byte, QAccessible::TextBoundaryType type) const;
    Span wordAt(qint64 byte) const;
    QString answer(Span span, int* startOffset, int* endOffset) const;
};
