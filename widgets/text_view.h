// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A read-only multi-line text view over a TextModel: the program's result list and source text.
// It paints only the rows in sight, and of a long row only the slice in sight, decoding the
// text's encoding to Unicode as it paints. No word wrap. The view uses a fixed-width font (the
// system's, set at construction): a character takes the cells of widgets/row_cells.h.
//
// A person gets mouse selection (drag with autoscroll, Shift+click, double-click for a word),
// keyboard caret and selection, Ctrl+C, a context menu and wheel scrolling, all by character.
// The selection and caret are shown only while the view has the keyboard focus.
//
// Screen readers read it through TextViewAccessible (widgets/text_view_accessible.h), which the
// view keeps informed of text replaced or appended and of caret and selection moves.
//
// The code is in four files: text_view.cpp (the text-view operations, geometry and scrolling),
// text_view_paint.cpp, text_view_input.cpp (keyboard, mouse, caret motions) and
// text_view_accessible.cpp (the accessible interface and its events).

#include "text/occurrence_map.h"
#include "text/text_model.h"
#include "widgets/row_cells.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <string>
#include <string_view>

class MapScrollBar;
class QMenu;

class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TextView(QWidget* parent = nullptr);

    // The text-view operations of TextModel; a load is painted once, when it ends. A reload of the
    // same text keeps the selection and the scroll position.
    void loadFromFile(const std::string& path);
    // The second step of a load whose file TextModel::readFile read, maybe on another thread: the
    // view shows its text from here on, as after loadFromFile.
    void adopt(OpenedText loaded);
    int lineCount() const noexcept { return FModel.lineCount(); }
    std::string line(int i) const { return FModel.line(i); }
    void appendLine(std::string_view s);
    void appendLines(std::string_view lines); // see TextModel::appendLines
    void appendLines(IndexedLines&& lines);
    void clear();
    // Empties the view, whose text is then in encoding (the result list takes its source's).
    void clear(TextEncoding encoding);
    void saveToFile(const std::string& path) const { FModel.saveToFile(path); }
    TextEncoding encoding() const noexcept { return FModel.encoding(); }

    // Offsets count characters, CR LF as two. setSelStart collapses the selection to a caret;
    // setSelLength extends it from selStart and scrolls the caret, at its end, into view.
    qint64 selStart() const { return FModel.selStart(); }
    void setSelStart(qint64 offset);
    qint64 selLength() const { return FModel.selLength(); }
    void setSelLength(qint64 length);
    // The selected bytes, in the view's encoding.
    std::string selectedText() const { return FModel.selectedText(); }
    // Row in which the selection ends (the caret).
    int caretRow() const noexcept { return FModel.caretRow(); }
    // Offset at which row begins; the text length for a row past the last one.
    qint64 rowOffset(int row) const { return FModel.rowOffset(row); }
    const TextModel& model() const noexcept { return FModel; }
    // The largest text a load accepts, in bytes (see TextModel).
    void setCapacity(qint64 capacity) noexcept { FModel.setCapacity(capacity); }
    // The most rows a load accepts (see TextLimits).
    void setRowCapacity(qint64 rows) noexcept { FModel.setRowCapacity(rows); }

    void setScrollBars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical);

    // The occurrences of a search shown: every occurrence of pattern (bytes in the view's
    // encoding, as text/occurrences.h finds them) in the rows painted gets a background of its
    // own, under the selection; the map shows in the vertical scroll bar's groove where they lie
    // in the whole text. A load that changes the text drops the map, clear() both.
    void setMarkedPattern(std::string pattern);
    const std::string& markedPattern() const noexcept { return FMarkedPattern; }
    void setOccurrenceMap(const OccurrenceMap& map);
    const OccurrenceMap& occurrenceMap() const;
    void clearMarks();

    // The largest selection that copy() puts on the clipboard (as Unicode it takes twice as much,
    // and the clipboard hands out copies of it).
    static constexpr qint64 kMaxCopiedBytes = qint64(64) << 20;

    // Selects the whole text; copies the selection to the clipboard as Unicode, CR LF kept. A
    // selection larger than kMaxCopiedBytes raises EInvalidOperation and the clipboard keeps
    // what it held.
    void selectAll();
    void copy() const;
    // Sets the selection from anchor to caret (offsets), scrolls the caret into view.
    void setSelection(qint64 anchor, qint64 caret);
    // Scrolls offset into view.
    void ensureVisible(qint64 offset);
    // Puts the caret at offset and leaves the view scrolled where it is, or where a scroll still
    // pending takes it: the keyboard finds the caret there on coming in (Tab scrolls it into
    // view), while the eye keeps what it sees.
    void placeCaret(qint64 offset);

    // Characters and words, as the caret steps by them: where the next character begins, where
    // the one before begins, and the start of the next word (direction +1) or of this or the
    // previous one (-1), a line break counting as one stop.
    qint64 nextChar(qint64 offset) const;
    qint64 previousChar(qint64 offset) const;
    qint64 wordEdge(qint64 offset, int direction) const;

    // Geometry, in the viewport's coordinates; the mouse and the accessible interface share it.
    qreal cellWidth() const; // pixels of one cell of the font
    int rowHeight() const;
    int firstRow() const; // the top row in sight
    // The row that pos's height falls in, not bounded by the rows.
    int rowAt(QPoint pos) const;
    // The character whose cells hold pos, or -1 where none does (outside the viewport, in the
    // margin, right of a row's end, below the last row).
    qint64 charAt(QPoint pos) const;
    // The caret offset nearest pos, in the nearest row: a point in the right half of a
    // character goes after it.
    qint64 offsetAt(QPoint pos) const;
    // The cells of the character at offset; one cell at a row's end.
    QRect charRect(qint64 offset) const;

signals:
    // After the view's own handling of a left double-click, which selects the word there.
    void doubleClicked();
    // After the view's own handling of a button's release; for the right button, once the context
    // menu has closed.
    void mouseReleased(Qt::MouseButton button);
    // Enter or keypad Enter, without Shift, Ctrl or Alt.
    void returnPressed();
    // Once for a text, after a paint found the file it reads from rewritten since its open
    // (TextModel::changedAtSource), or after the window, activated again, found it so.
    void sourceChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static constexpr int kMargin = 3; // pixels left of the first column

    enum class Motion {
        CharLeft,
        CharRight,
        WordLeft,
        WordRight,
        RowUp,
        RowDown,
        PageUp,
        PageDown,
        RowStart,
        RowEnd,
        TextStart,
        TextEnd
    };

    int visibleRows() const;
    qreal rowX(qint64 column) const;
    // Cells from the start of a row to pos's x, with the fraction of a cell.
    qreal columnAt(QPoint pos) const;
    // In row, the cell under pos's x (the row's end right of it; its start left of the text).
    Cell cellUnder(int row, QPoint pos) const;

    RowCells cellsOf(int row) const;
    qint64 columnOf(qint64 offset) const;
    qint64 offsetAtColumn(int row, qint64 column) const;
    qint64 target(Motion motion) const;
    void selectWordAt(QPoint pos);
    void moveCaret(Motion motion, bool extend);
    // Scrolls the caret into view, repaints and tells assistive technologies, after a change of
    // the selection from oldAnchor, oldCaret.
    void showSelection(qint64 oldAnchor, qint64 oldCaret);

    void paintRow(QPainter& painter, int row, int y) const;
    void paintMarks(QPainter& painter, const RowCells& cells, Cell from, qint64 sliceEnd,
                    int y) const;
    MapScrollBar* mapBar() const;
    void paintText(QPainter& painter, const RowCells& cells, Cell from, qint64 end, int y) const;
    void scheduleLayout(bool scrollToCaret);
    void applyLayout();
    void updateScrollBars();
    int horizontalRange() const;
    void ensureCaretVisible();
    void dragTo(QPoint pos);
    void autoScroll();

    // Accessibility events (text_view_accessible.cpp); each does nothing while no assistive
    // technology is active. accessibleText is what the events show of the text, empty then.
    QString accessibleText() const;
    void announceReplaced(const QString& before);
    void announceAppended(qint64 from);
    void announceSelection(qint64 oldAnchor, qint64 oldCaret);

    TextModel FModel;
    std::string FMarkedPattern;
    QTimer FAutoScroll;
    QPoint FMouse;
    bool FDragging = false;
    bool FLayoutPending = false;
    bool FScrollPending = false;
    qint64 FGoalColumn = -1;           // the column kept across vertical moves
    mutable qint64 FWidestColumns = 0; // widest row seen, in columns (tabs make rows wider)
    bool FChangeTold = false;          // sourceChanged was emitted for this text
    mutable CellHint FHint;            // where the last walk through a long row ended
};
