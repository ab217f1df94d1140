// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/char_steps.h"

#include "text/cp1252.h"
#include "text/unicode.h"
#include "text/utf8.h"

TextChar CharAt(std::string_view text, std::size_t i, TextEncoding encoding) noexcept {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (encoding == TextEncoding::Cp1252)
        return {Cp1252ToUnicode(byte), 1, true};
    if (byte < 0x80)
        return {byte, 1, true};
    const DecodedChar c = DecodeChar(text, i);
    return {c.code, c.length, c.wellFormed};
}

std::size_t NextChar(std::string_view text, std::size_t i, TextEncoding encoding) noexcept {
    return encoding == TextEncoding::Cp1252 ? i + 1 : NextCharStart(text, i);
}

std::size_t PreviousChar(std::string_view text, std::size_t i, TextEncoding encoding) noexcept {
    return encoding == TextEncoding::Cp1252 ? i - 1 : PreviousCharStart(text, i);
}

std::string_view FirstChars(std::string_view text, std::int64_t count,
                            TextEncoding encoding) noexcept {
    if (count <= 0)
        return text.substr(0, 0);
    if (encoding == TextEncoding::Cp1252)
        return text.substr(0, std::size_t(count));
    const char* end = AdvanceChars(text.data(), text.data() + text.size(), count);
    return text.substr(0, std::size_t(end - text.data()));
}

CharClass ClassOf(const TextChar& c) noexcept {
    if (c.code == ' ' || c.code == '\t')
        return CharClass::Blank;
    if (c.code == '\r' || c.code == '\n')
        return CharClass::Break;
    if (c.wellFormed && (c.code == '_' || IsLetterMarkOrDigit(c.code)))
        return CharClass::Word;
    return CharClass::Other;
}
