// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/row_cells.h"

#include "text/char_steps.h"
#include "text/unicode.h"
#include "text/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr char kTab = '\t';

bool IsControlCode(char32_t u) {
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

} // namespace

RowChar RowCells::charAt(qint64 byte) const {
    if (FRow[std::size_t(byte)] == kTab)
        return {char32_t(kTab), 1, false, true};
    const TextChar c = CharAt(FRow, std::size_t(byte), encoding());
    return {c.code, qint64(c.length), c.wellFormed && IsControlCode(c.code), false};
}

qint64 RowCells::width(Cell at) const {
    const RowChar c = charAt(at.byte);
    if (c.tab)
        return NextTabStop(at.column) - at.column;
    if (c.control || c.code < 0x300)
        return 1;
    return CharCells(c.code);
}

qint64 RowCells::next(qint64 byte) const {
    return qint64(NextChar(FRow, std::size_t(byte), encoding()));
}

qint64 RowCells::previous(qint64 byte) const {
    return qint64(PreviousChar(FRow, std::size_t(byte), encoding()));
}

// The number of bytes from byte on, at most limit, that are ASCII but tabs: one cell each.
qint64 RowCells::plainAsciiRun(qint64 byte, qint64 limit) const {
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    const char* p = FRow.data() + byte;
    qint64 run = 0;
    for (; run + 8 <= limit; run += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + run, 8);
        const std::uint64_t tabs = word ^ (kOnes * std::uint64_t(kTab));
        if ((word & kHigh) != 0 || ((tabs - kOnes) & ~tabs & kHigh) != 0)
            break;
    }
    while (run < limit && static_cast<unsigned char>(p[run]) < 0x80 && p[run] != kTab)
        ++run;
    return run;
}

Cell RowCells::seek(Cell from, qint64 column) const {
    if (!FUtf8)
        return seekCp1252(from, column);
    const auto byColumn = [](const Cell& a, const Cell& b) { return a.column < b.column; };
    return seekUtf8(nearestMark(from, byColumn, {0, column}), column);
}

qint64 RowCells::columnOf(Cell from, qint64 byte) const {
    byte = std::min(byte, size());
    if (!FUtf8)
        return columnOfCp1252(from, byte);
    const auto byByte = [](const Cell& a, const Cell& b) { return a.byte < b.byte; };
    return columnOfUtf8(nearestMark(from, byByte, {byte, 0}), byte);
}

// The remembered cell nearest before goal (by before), when it lies past from.
Cell RowCells::nearestMark(Cell from, bool (*before)(const Cell&, const Cell&), Cell goal) const {
    if (!FHint || FRowNumber < 0 || FHint->row != FRowNumber)
        return from;
    const std::vector<Cell>& marks = FHint->marks;
    const auto after = std::upper_bound(marks.begin(), marks.end(), goal,
                                        [&](const Cell& g, const Cell& m) { return before(g, m); });
    // A mark past the row's end is of its bytes before the file changed.
    if (after == marks.begin() || std::prev(after)->byte <= from.byte ||
        std::prev(after)->byte > size())
        return from;
    return *std::prev(after);
}

// Remembers a cell that a walk through a long row reached, unless one is near it already.
void RowCells::note(Cell at) const {
    if (!FHint || FRowNumber < 0 || size() < kHintedRow)
        return;
    if (FHint->row != FRowNumber)
        *FHint = {FRowNumber, {}};
    std::vector<Cell>& marks = FHint->marks;
    const auto place =
        std::lower_bound(marks.begin(), marks.end(), at,
                         [](const Cell& a, const Cell& b) { return a.byte < b.byte; });
    const bool near = (place != marks.end() && place->byte - at.byte < kMarkBytes / 2) ||
                      (place != marks.begin() && at.byte - std::prev(place)->byte < kMarkBytes / 2);
    if (!near)
        marks.insert(place, at);
}

// Takes the character at `at`: returns its cells and moves `at` to the next one. Latin letters
// and signs before the combining marks (two bytes up to U+02FF) go without decoding.
qint64 RowCells::advance(Cell& at) const {
    const auto lead = static_cast<unsigned char>(FRow[std::size_t(at.byte)]);
    const qint64 after = at.byte + 2;
    if (lead >= 0xC2 && lead <= 0xCB && after <= size() &&
        IsContinuationByte(static_cast<unsigned char>(FRow[std::size_t(at.byte) + 1])) &&
        (after == size() ||
         !IsContinuationByte(static_cast<unsigned char>(FRow[std::size_t(after)])))) {
        at = {after, at.column + 1};
        return 1;
    }
    const qint64 cells = width(at);
    at = {next(at.byte), at.column + cells};
    return cells;
}

Cell RowCells::seekUtf8(Cell from, qint64 column) const {
    for (qint64 noteAt = from.byte + kMarkBytes; from.byte < size() && from.column <= column;) {
        if (from.byte >= noteAt) {
            note(from);
            noteAt = from.byte + kMarkBytes;
        }
        const qint64 plain =
            plainAsciiRun(from.byte, std::min(size() - from.byte, column - from.column + 1));
        if (plain > 0) {
            from.byte += plain;
            from.column += plain;
            if (from.column > column)
                return {from.byte - (from.column - column), column};
            continue;
        }
        Cell after = from;
        if (from.column + advance(after) > column)
            return from;
        from = after;
    }
    return from;
}

qint64 RowCells::columnOfUtf8(Cell from, qint64 byte) const {
    for (qint64 noteAt = from.byte + kMarkBytes; from.byte < byte;) {
        if (from.byte >= noteAt) {
            note(from);
            noteAt = from.byte + kMarkBytes;
        }
        const qint64 plain = plainAsciiRun(from.byte, byte - from.byte);
        if (plain > 0) {
            from.byte += plain;
            from.column += plain;
            continue;
        }
        advance(from);
    }
    return from.column;
}

// One byte a cell but tabs, which a memchr finds: a long row costs a few passes over memory.
Cell RowCells::seekCp1252(Cell from, qint64 column) const {
    while (from.byte < size() && from.column <= column) {
        const qint64 reach = std::min(size() - from.byte, column - from.column + 1);
        const char* start = FRow.data() + from.byte;
        const auto* tab = static_cast<const char*>(std::memchr(start, kTab, std::size_t(reach)));
        if (!tab) {
            const qint64 byte = from.byte + (column - from.column);
            if (byte >= size())
                return {size(), from.column + (size() - from.byte)};
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

qint64 RowCells::columnOfCp1252(Cell from, qint64 byte) const {
    while (from.byte < byte) {
        const char* start = FRow.data() + from.byte;
        const auto* tab =
            static_cast<const char*>(std::memchr(start, kTab, std::size_t(byte - from.byte)));
        if (!tab)
            return from.column + (byte - from.byte);
        from.column = NextTabStop(from.column + (tab - start));
        from.byte += tab - start + 1;
    }
    return from.column;
}
