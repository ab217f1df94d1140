// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/word.h"

#include "text/cp1252.h"
#include "text/unicode.h"
#include "text/utf8.h"

#include <charconv>
#include <cstring>

std::string_view WordViewAround(std::string_view line, size_t p) {
    if (p < 1 || p > line.size())
        return {};
    size_t start = p - 1; // 0-based index of the character at p
    if (!IsWordChar(static_cast<unsigned char>(line[start])))
        return {};
    while (start > 0 && IsWordChar(static_cast<unsigned char>(line[start - 1])))
        --start;
    size_t end = p;
    while (end < line.size() && IsWordChar(static_cast<unsigned char>(line[end])))
        ++end;
    return line.substr(start, end - start);
}

bool IsWordCodePoint(char32_t c) {
    if (c < 0x80)
        return IsWordChar(static_cast<unsigned char>(c));
    if (const auto byte = c <= 0xFFFF ? UnicodeToCp1252(char16_t(c)) : std::nullopt)
        return IsWordChar(*byte);
    return IsLetterMarkOrDigit(c);
}

namespace {

bool IsWordAt(std::string_view line, size_t at, size_t& length) {
    const auto byte = static_cast<unsigned char>(line[at]);
    if (byte < 0x80) {
        length = 1;
        return IsWordChar(byte);
    }
    const DecodedChar c = DecodeChar(line, at);
    length = c.length;
    return c.wellFormed && IsWordCodePoint(c.code);
}

} // namespace

std::string_view Utf8WordViewAround(std::string_view line, size_t at) {
    size_t length = 0;
    if (at >= line.size() || !IsWordAt(line, at, length))
        return {};
    size_t end = at + length;
    while (end < line.size() && IsWordAt(line, end, length))
        end += length;
    size_t start = at;
    while (start > 0) {
        const size_t before = PreviousCharStart(line, start);
        if (!IsWordAt(line, before, length))
            break;
        start = before;
    }
    return line.substr(start, end - start);
}

std::string WordAround(std::string_view line, size_t p) {
    return std::string(WordViewAround(line, p));
}

char* WriteResultLine(char* out, int64_t line, int64_t column, std::string_view word) {
    *out++ = '>';
    out = std::to_chars(out, out + kMaxDecimalLength, line).ptr;
    *out++ = ',';
    out = std::to_chars(out, out + kMaxDecimalLength, column).ptr;
    *out++ = ':';
    if (!word.empty()) // an empty view may hold no pointer at all
        std::memcpy(out, word.data(), word.size());
    return out + word.size();
}

void AppendResultLine(std::string& out, int64_t line, int64_t column, std::string_view word) {
    const std::size_t before = out.size();
    out.resize(before + MaxResultLineLength(word));
    out.resize(std::size_t(WriteResultLine(out.data() + before, line, column, word) - out.data()));
}

std::string ResultLine(int64_t line, int64_t column, std::string_view word) {
    std::string result;
    result.reserve(24 + word.size());
    AppendResultLine(result, line, column, word);
    return result;
}
