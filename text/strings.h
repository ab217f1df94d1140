// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small string operations of the search window. Every byte is one character, NUL included
// unless an operation says otherwise; comparisons are exact byte comparisons; positions are
// 1-based.

#include <cstdint>
#include <string>
#include <string_view>

// The position of the first occurrence of pattern in text at position offset or later;
// 0 when there is none, or when the pattern or the text is empty. An offset below 1 counts as 1.
long long FindFrom(std::string_view pattern, std::string_view text, long long offset);

// text with every occurrence of pattern, left to right and without overlap, replaced by
// replacement. Only the part of text before its first NUL is searched; an empty pattern changes
// nothing.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// text without the characters of code 0 to 32 at either end.
std::string TrimText(std::string_view text);

// The 32-bit integer that text spells, or def when it spells none: blanks, an optional sign, then
// decimal digits or a hexadecimal number ("$", "x", "X", "0x" or "0X" and up to 8 significant
// digits, read as signed 32 bits). Nothing may follow.
int32_t IntOrDefault(std::string_view text, int32_t def);

// n in decimal, "-" in front of a negative value.
std::string DecimalText(int32_t n);
// The same for the 64-bit counts of lines and columns, which files of any size need.
std::string DecimalText(int64_t n);

// The string of length 1 that holds c.
std::string CharText(char c);
