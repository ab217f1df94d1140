#pragma once
// The characters of one row of a text view and the cells of the fixed-width font they take.
// A Windows-1252 row has one character a byte; a UTF-8 row the characters of text/utf8.h. A tab
// reaches the next multiple of 8 cells; a control character or a malformed one takes one cell
// (drawn as a box, or as U+FFFD); any other character CharCells(code) cells: 2 for a wide one,
// 0 for a combining mark or an invisible format character.

#include "text/encoding.h"

#include <QtGlobal>
#include <string_view>

// A place in a row: a byte index and the column at which that byte's character begins.
struct Cell {
    qint64 byte = 0;
    qint64 column = 0;
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

    RowCells(std::string_view row, TextEncoding encoding)
        : FRow(row), FUtf8(encoding == TextEncoding::Utf8) {}

    qint64 size() const noexcept { return qint64(FRow.size()); }

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
    Cell seekCp1252(Cell from, qint64 column) const;
    qint64 columnOfCp1252(Cell from, qint64 byte) const;
    qint64 plainAsciiRun(qint64 byte, qint64 limit) const;

    std::string_view FRow;
    bool FUtf8;
};
