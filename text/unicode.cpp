// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/unicode.h"

#include "text/unicode_tables.h"

#include <algorithm>

namespace {

bool InRanges(std::span<const CodePointRange> ranges, char32_t c) {
    const auto after =
        std::upper_bound(ranges.begin(), ranges.end(), c,
                         [](char32_t v, const CodePointRange& r) { return v < r.first; });
    return after != ranges.begin() && c <= std::prev(after)->last;
}

} // namespace

bool IsLetterMarkOrDigit(char32_t c) noexcept {
    return InRanges(unicode_tables::kWordRanges, c);
}

int CharCells(char32_t c) noexcept {
    if (c < 0x300) // Latin before the combining marks: one cell each, the soft hyphen included
        return 1;
    if (InRanges(unicode_tables::kWideRanges, c))
        return 2;
    return InRanges(unicode_tables::kZeroWidthRanges, c) ? 0 : 1;
}
