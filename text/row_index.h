// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the rows of a text begin. Rows are separated by CR LF pairs; a lone CR or LF is part of
// its row. The index keeps the start of every 64th row and finds the others by scanning forward
// from the nearest one kept: a few bytes per hundred rows, and a lookup reads about 64 rows.
// Lookups in a row's neighbourhood (painting rows one after another) start from the last one.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class RowIndex {
public:
    static constexpr std::int64_t kStride = 64;

    // The index of an empty text: one empty row.
    void clear();
    // Indexes the rows that text gained after from, its former length; the rows of
    // text[0, from) are already indexed. Changes nothing when it raises std::bad_alloc.
    void extend(std::string_view text, std::size_t from);

    // Indexes the row that an LF at offset lf begins, the LF ending a CR LF pair, for a writer
    // that knows its rows: the text up to lf is indexed already. Changes nothing when it raises.
    void addBreak(std::int64_t lf);

    std::int64_t count() const noexcept { return FRows; }
    // Where the last row begins.
    std::int64_t lastStart() const noexcept { return FLastStart; }
    // The longest row of a text of size bytes, line break excluded.
    std::int64_t longest(std::int64_t size) const noexcept;

    // Where row begins (0 <= row < count()).
    std::int64_t start(std::string_view text, std::int64_t row) const;
    // The row that holds offset (0 <= offset <= text.size()).
    std::int64_t rowOf(std::string_view text, std::int64_t offset) const;

private:
    void addBreaks(std::uint32_t breaks, std::int64_t base, int found);
    void keep(std::int64_t row, std::int64_t start) const;

    std::vector<std::int64_t> FKept{0}; // FKept[k]: where row k * kStride begins
    std::int64_t FRows = 1;
    std::int64_t FLastStart = 0;
    std::int64_t FLongest = 0; // of the rows before the last one
    // The last row looked up, where lookups nearby start.
    mutable std::int64_t FCursorRow = 0;
    mutable std::int64_t FCursorStart = 0;
};
