// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The characters of one row of a text view and the cells of the fixed-width font they take.
// A Windows-1252 row has one character a byte; a UTF-8 row the characters of text/utf8.h. A tab
// reaches the next multiple of 8 cells; a control character or a malformed one takes one cell
// (drawn as a box, or as U+FFFD); any other character CharCells(code) cells: 2 for a wide one,
// 0 for a combining mark or an invisible format character.

#include "text/encoding.h"
#include "text/text_document.h"

#include <QtGlobal>
#include <string_view>
#include <vector>

// A place in a row: a byte index and the column at which that byte's character begins.
struct Cell {
    qint64 byte = 0;
    qint64 column = 0;
};

// Cells of one long row remembered from one call to the next, a few hundred KiB apart, so that
// work far into the row starts at the nearest one rather than at the row's start. The view
// forgets them whenever its text changes.
struct CellHint {
    qint64 row = -1;         // the row's number
    std::vector<Cell> marks; // in the row's order
};

struct RowChar {
    char32_t code = 0; // U+FFFD for a malformed character
    qint64 length = 1; // bytes
    bool control = false;
    bool tab = false;
};

class RowCells {
public:
    static constexpr qint64 kTabWidth = 8;

    // row: the bytes of row number rowNumber, which they keep alive, and the hint of its text.
    RowCells(TextPiece row, TextEncoding encoding, CellHint* hint = nullptr, qint64 rowNumber = -1)
        : FPiece(std::move(row)), FRow(FPiece.view()), FUtf8(encoding == TextEncoding::Utf8),
          FHint(hint), FRowNumber(rowNumber) {}

    qint64 size() const noexcept { return qint64(FRow.size()); }
    std::string_view text() const noexcept { return FRow; }
    bool utf8() const noexcept { return FUtf8; }
    TextEncoding encoding() const noexcept {
        return FUtf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    }

    // The character at byte (< size()).
    RowChar charAt(qint64 byte) const;
    // Cells that the character at `at` takes.
    qint64 width(Cell at) const;
    // From `from`, the cell of the character that holds column, or the end of the row. Reads no
    // further than needed, so a slice far into a long row costs one pass over its prefix.
    Cell seek(Cell from, qint64 column) const;
    // The column at which the character at byte begins, counting from `from`.
    qint64 columnOf(Cell from, qint64 byte) const;
    // Where the next character begins, and where the one before begins.
    qint64 next(qint64 byte) const;
    qint64 previous(qint64 byte) const;

    static qint64 NextTabStop(qint64 column) { return (column / kTabWidth + 1) * kTabWidth; }

private:
    // Rows this long remember cells this far apart on the walks through them.
    static constexpr qint64 kHintedRow = qint64(1) << 16;
    static constexpr qint64 kMarkBytes = qint64(1) << 18;

    Cell seekUtf8(Cell from, qint64 column) const;
    qint64 columnOfUtf8(Cell from, qint64 byte) const;
    qint64 advance(Cell& at) const;
    Cell nearestMark(Cell from, bool (*before)(const Cell&, const Cell&), Cell goal) const;
    void note(Cell at) const;
    Cell seekCp1252(Cell from, qint64 column) const;
    qint64 columnOfCp1252(Cell from, qint64 byte) const;
    qint64 plainAsciiRun(qint64 byte, qint64 limit) const;

    TextPiece FPiece;
    std::string_view FRow;
    bool FUtf8;
    CellHint* FHint;
    qint64 FRowNumber;
};
