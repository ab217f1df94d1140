// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/occurrences.h"

#include "text/utf8.h"

#include <algorithm>
#include <cstring>

std::vector<std::size_t> OccurrencesIn(std::string_view row, std::size_t from, std::size_t to,
                                       std::string_view pattern, TextEncoding encoding) {
    std::vector<std::size_t> places;
    const std::size_t size = pattern.size();
    to = std::min(to, row.size());
    if (size == 0 || from >= to || size > row.size())
        return places;
    // An occurrence that overlaps [from, to) begins in [first, to) and ends by last.
    const std::size_t first = from >= size ? from - size + 1 : 0;
    const std::size_t last = std::min(row.size(), to + size - 1);
    const bool utf8 = encoding == TextEncoding::Utf8;
    // memmem runs in linear time whatever the pattern, so a long one cannot stall a repaint.
    const char* const end = row.data() + last;
    for (const char* p = row.data() + first; std::size_t(end - p) >= size;) {
        const auto* hit =
            static_cast<const char*>(memmem(p, std::size_t(end - p), pattern.data(), size));
        if (!hit)
            break;
        const auto at = std::size_t(hit - row.data());
        if (!utf8 || (IsCharStart(row, at) && IsCharStart(row, at + size)))
            places.push_back(at);
        p = hit + 1;
    }
    return places;
}
