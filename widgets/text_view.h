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

#include "text/text_model.h"
#include "widgets/row_cells.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <string>
#include <string_view>

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
    void adopt(LoadedText loaded);
    int lineCount() const noexcept { return FModel.lineCount(); }
    std::string line(int i) const { return FModel.line(i); }
    void appendLine(std::string_view s);
    void appendLines(std::string_view lines);             // see TextModel::appendLines
    void takeLines(std::string&& lines, RowIndex&& rows); // see TextModel::takeLines
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

    void setScrollBars(Qt::ScrollBarPolicy horizontal, Qt::ScrollBarPolicy vertical);

    // Selects the whole text; copies the selection to the clipboard as Unicode, CR LF kept.
    void selectAll();
    void copy() const;

signals:
    // After the view's own handling of a left double-click, which selects the word there.
    void doubleClicked();
    // After the view's own handling of a button's release; for the right button, once the context
    // menu has closed.
    void mouseReleased(Qt::MouseButton button);
    // Enter or keypad Enter, without Shift, Ctrl or Alt.
    void returnPressed();

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
    friend class TextViewAccessible;

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

    qreal cellWidth() const;
    int rowHeight() const;
    int firstRow() const;
    int visibleRows() const;
    qreal rowX(qint64 column) const;

    RowCells cellsOf(int row) const;
    qint64 columnOf(qint64 offset) const;
    qint64 offsetAt(QPoint pos) const;
    qint64 offsetAtColumn(int row, qint64 column) const;
    qint64 target(Motion motion) const;
    qint64 nextChar(qint64 offset) const;
    qint64 previousChar(qint64 offset) const;
    int classAt(qint64 offset) const;
    qint64 wordEdge(qint64 offset, int direction) const;
    void selectWordAt(QPoint pos);
    void moveCaret(Motion motion, bool extend);
    void setSelection(qint64 anchor, qint64 caret);
    // Scrolls the caret into view, repaints and tells assistive technologies, after a change of
    // the selection from oldAnchor, oldCaret.
    void showSelection(qint64 oldAnchor, qint64 oldCaret);

    void paintRow(QPainter& painter, int row, int y) const;
    void paintText(QPainter& painter, const RowCells& cells, Cell from, qint64 end, int y) const;
    void scheduleLayout(bool scrollToCaret);
    void applyLayout();
    void updateScrollBars();
    int horizontalRange() const;
    void ensureCaretVisible();
    void ensureVisible(qint64 offset);
    void dragTo(QPoint pos);
    void autoScroll();

    // Accessibility events (text_view_accessible.cpp); each does nothing while no assistive
    // technology is active. accessibleText is what the events show of the text, empty then.
    QString accessibleText() const;
    void announceReplaced(const QString& before);
    void announceAppended(qint64 from);
    void announceSelection(qint64 oldAnchor, qint64 oldCaret);

    TextModel FModel;
    QTimer FAutoScroll;
    QPoint FMouse;
    bool FDragging = false;
    bool FLayoutPending = false;
    bool FScrollPending = false;
    qint64 FGoalColumn = -1;           // the column kept across vertical moves
    mutable qint64 FWidestColumns = 0; // widest row seen, in columns (tabs make rows wider)
    mutable CellHint FHint;            // where the last walk through a long row ended
};
