// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain references for UTF-8 texts, written from the rules and not from the program's code: where
// characters begin, the characters of a text, whether a character is well-formed, and the
// character counts of offsets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A character begins at every byte but a continuation byte (10xxxxxx) that follows a byte of
// 0x80 or above; the first byte always begins one.
inline bool RefStartsAt(std::string_view text, std::size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    return i == 0 || (b & 0xC0) != 0x80 || static_cast<unsigned char>(text[i - 1]) < 0x80;
}

// The characters that begin before byte offset.
inline std::int64_t RefCharsBefore(std::string_view text, std::size_t offset) {
    std::int64_t count = 0;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i)
        count += RefStartsAt(text, i);
    return count;
}

// The bytes of the character that begins at i.
inline std::string_view RefCharAt(std::string_view text, std::size_t i) {
    std::size_t end = i + 1;
    while (end < text.size() && !RefStartsAt(text, end))
        ++end;
    return text.substr(i, end - i);
}

// The characters of text, each as its bytes.
inline std::vector<std::string_view> RefChars(std::string_view text) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size(); i += chars.back().size())
        chars.push_back(RefCharAt(text, i));
    return chars;
}

// The code point of one character, or nothing when it is not the shortest UTF-8 form of a
// scalar value.
inline std::optional<char32_t> RefDecode(std::string_view c) {
    const auto b0 = static_cast<unsigned char>(c[0]);
    const std::size_t length = b0 < 0x80   ? 1
                               : b0 < 0xC0 ? 0
                               : b0 < 0xE0 ? 2
                               : b0 < 0xF0 ? 3
                               : b0 < 0xF8 ? 4
                                           : 0;
    if (length == 0 || length != c.size())
        return std::nullopt;
    char32_t code = length == 1 ? b0 : b0 & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(c[k]) & 0x3F);
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return code;
}

inline bool RefWellFormed(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view c = RefCharAt(text, i);
        if (!RefDecode(c))
            return false;
        i += c.size();
    }
    return true;
}
