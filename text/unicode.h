// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few Unicode properties the program needs, from generated tables (text/unicode_tables.cpp).

// Letters, marks and decimal digits: the word characters beyond Windows-1252.
bool IsLetterMarkOrDigit(char32_t c) noexcept;

// Cells a character takes in a fixed-width view: 2 for East Asian wide and fullwidth characters,
// 0 for combining marks and invisible format characters, 1 for every other one.
int CharCells(char32_t c) noexcept;
