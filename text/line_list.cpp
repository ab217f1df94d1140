// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/line_list.h"

#include "text/errors.h"

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';

} // namespace

const std::string& LineList::at(long long i) const {
    if (i < 0 || i >= count())
        throw EStringListError(i);
    return FLines[static_cast<std::size_t>(i)];
}

LineList SplitLines(std::string_view text) {
    const std::string_view taken = text.substr(0, text.find('\0'));
    LineList lines;
    std::size_t pos = 0;
    while (pos < taken.size()) {
        std::size_t stop = pos;
        while (stop < taken.size() && taken[stop] != kCR && taken[stop] != kLF)
            ++stop;
        lines.add(std::string(taken.substr(pos, stop - pos)));
        pos = stop;
        if (pos < taken.size() && taken[pos] == kCR)
            ++pos;
        if (pos < taken.size() && taken[pos] == kLF)
            ++pos;
    }
    return lines;
}
