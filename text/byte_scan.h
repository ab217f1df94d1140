// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole-block byte scans for the search engine, vectorised where the processor allows it.

#include <cstddef>

// The number of bytes equal to c in [begin, end).
size_t CountByte(const char* begin, const char* end, char c);

// The first CR in [begin, end) that is not followed by LF (a CR on the last byte counts), or end.
const char* FindLoneCr(const char* begin, const char* end);

// The first LF, CR or end-of-file mark (26) in [begin, end), or end.
const char* FindLineControl(const char* begin, const char* end);

// The first CR or LF in [begin, end), or end.
const char* FindBreakByte(const char* begin, const char* end);

// The last byte equal to c in [begin, end), or nullptr.
const char* FindLastByte(const char* begin, const char* end, char c);
