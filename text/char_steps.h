// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The characters of a text in its encoding, as a view steps, selects and reads them: for
// Windows-1252 one a byte, whose code point the table gives; for UTF-8 those of text/utf8.h, a
// malformed one as U+FFFD. Every place that walks a text by character goes through here.

#include "text/encoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

struct TextChar {
    char32_t code = 0;      // U+FFFD for a malformed character
    std::size_t length = 1; // bytes
    bool wellFormed = true;
};

// The character that begins at i (i < text.size()).
TextChar CharAt(std::string_view text, std::size_t i, TextEncoding encoding) noexcept;
// Where the character after the one at i begins (i < text.size()), and where the one that ends at
// i begins (0 < i <= text.size()).
std::size_t NextChar(std::string_view text, std::size_t i, TextEncoding encoding) noexcept;
std::size_t PreviousChar(std::string_view text, std::size_t i, TextEncoding encoding) noexcept;
// The first count characters of text (all of it when it holds fewer).
std::string_view FirstChars(std::string_view text, std::int64_t count,
                            TextEncoding encoding) noexcept;

// Classes for the stops of word steps and double-clicks: blanks (space, tab), line breaks (CR,
// LF), words (letters, marks, decimal digits and '_') and everything else.
enum class CharClass { Blank, Break, Word, Other };
CharClass ClassOf(const TextChar& c) noexcept;
