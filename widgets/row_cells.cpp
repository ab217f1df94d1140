#include "widgets/row_cells.h"

#include "text/cp1252.h"
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
    const auto b = static_cast<unsigned char>(FRow[std::size_t(byte)]);
    if (b == kTab)
        return {char32_t(b), 1, false, true};
    if (!FUtf8 || b < 0x80) {
        const char32_t code = FUtf8 ? b : Cp1252ToUnicode(b);
        return {code, 1, IsControlCode(code), false};
    }
    const DecodedChar c = DecodeChar(FRow, std::size_t(byte));
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
    return FUtf8 ? qint64(NextCharStart(FRow, std::size_t(byte))) : byte + 1;
}

qint64 RowCells::previous(qint64 byte) const {
    return FUtf8 ? qint64(PreviousCharStart(FRow, std::size_t(byte))) : byte - 1;
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
    while (from.byte < size() && from.column <= column) {
        const qint64 plain =
            plainAsciiRun(from.byte, std::min(size() - from.byte, column - from.column + 1));
        if (plain > 0) {
            from.byte += plain;
            from.column += plain;
            if (from.column > column)
                return {from.byte - (from.column - column), column};
            continue;
        }
        const qint64 cells = width(from);
        if (from.column + cells > column)
            return from;
        from.column += cells;
        from.byte = next(from.byte);
    }
    return from;
}

qint64 RowCells::columnOf(Cell from, qint64 byte) const {
    byte = std::min(byte, size());
    if (!FUtf8)
        return columnOfCp1252(from, byte);
    while (from.byte < byte) {
        const qint64 plain = plainAsciiRun(from.byte, byte - from.byte);
        if (plain > 0) {
            from.byte += plain;
            from.column += plain;
            continue;
        }
        from.column += width(from);
        from.byte = next(from.byte);
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
