// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The word around an occurrence and the result line that names it: ">line,column:word".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace word_detail {
constexpr bool InRange(unsigned c, unsigned low, unsigned high) {
    return c >= low && c <= high;
}

constexpr bool ClassifyWordChar(unsigned c) {
    return InRange(c, 0x30, 0x39) || InRange(c, 0x41, 0x5A) || InRange(c, 0x61, 0x7A) ||
           InRange(c, 0xE0, 0xF6) || InRange(c, 0xF9, 0xFC) || c == 0x2D || c == 0x5F;
}

struct WordCharTable {
    bool isWord[256] = {};
    constexpr WordCharTable() {
        for (unsigned c = 0; c < 256; ++c)
            isWord[c] = ClassifyWordChar(c);
    }
};

inline constexpr WordCharTable kWordChars{};
} // namespace word_detail

// Windows-1252 word characters: digits, ASCII letters, the lower-case accented letters à to ö
// and ù to ü, hyphen-minus and underscore.
constexpr bool IsWordChar(unsigned char c) {
    return word_detail::kWordChars.isWord[c];
}

// The maximal run of word characters of line that holds position p (1-based,
// 1 <= p <= line.size()); empty when the character at p is not a word character.
std::string WordAround(std::string_view line, size_t p);

// The same run, as a view into line.
std::string_view WordViewAround(std::string_view line, size_t p);

// Word characters of a UTF-8 text: the Windows-1252 table for the characters that Windows-1252
// holds, Unicode's letters, marks and decimal digits for every other one.
bool IsWordCodePoint(char32_t c);

// The maximal run of word characters of a UTF-8 line (text/utf8.h) that holds the character
// beginning at byte index at; empty when that character is not a word character. A malformed
// character is none.
std::string_view Utf8WordViewAround(std::string_view line, size_t at);

// ">line,column:word"
std::string ResultLine(int64_t line, int64_t column, std::string_view word);

// The most bytes a number of a result line takes, and the most a result line takes.
inline constexpr std::size_t kMaxDecimalLength = 20;
constexpr std::size_t MaxResultLineLength(std::string_view word) {
    return 3 + 2 * kMaxDecimalLength + word.size();
}

// Writes ResultLine(line, column, word) at out, which has room for MaxResultLineLength(word)
// bytes; returns where it ends.
char* WriteResultLine(char* out, int64_t line, int64_t column, std::string_view word);

// Appends ResultLine(line, column, word) to out, without a temporary string.
void AppendResultLine(std::string& out, int64_t line, int64_t column, std::string_view word);
