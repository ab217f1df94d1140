// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Character classes of Unicode as sorted, disjoint ranges of code points (generated tables).

#include <span>

struct CodePointRange {
    char32_t first;
    char32_t last;
};

namespace unicode_tables {
extern const std::span<const CodePointRange> kWordRanges;
extern const std::span<const CodePointRange> kWideRanges;
extern const std::span<const CodePointRange> kZeroWidthRanges;
} // namespace unicode_tables
