// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows-1252 <-> Unicode, a bijection on all 256 bytes: the five bytes that the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value. One byte is
// always one UTF-16 unit, so offsets agree on both sides.

#include <optional>

// The Unicode character of byte b.
char16_t Cp1252ToUnicode(unsigned char b) noexcept;

// The byte of Unicode character u, or nothing when Windows-1252 does not hold it.
std::optional<unsigned char> UnicodeToCp1252(char16_t u) noexcept;
