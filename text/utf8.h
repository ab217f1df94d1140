// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// UTF-8 text read by character.
//
// A character is an ASCII byte, or any other byte together with the continuation bytes
// (0x80-0xBF) that follow it. In well-formed UTF-8 these are exactly the code points. A character
// that is not the well-formed encoding of one code point is malformed: it counts as one character,
// shows as U+FFFD and is no word character. So every byte sequence is a sequence of characters,
// and line breaks, NUL and the end-of-file mark, being ASCII, are always characters of their own.

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr char32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr bool IsContinuationByte(unsigned char b) noexcept {
    return (b & 0xC0) == 0x80;
}

// Whether a character begins at index i of text; the end of the text counts as a beginning.
bool IsCharStart(std::string_view text, std::size_t i) noexcept;

// Where the character that begins at i ends (i < text.size()).
std::size_t NextCharStart(std::string_view text, std::size_t i) noexcept;

// Where the character that ends at i begins (0 < i <= text.size()).
std::size_t PreviousCharStart(std::string_view text, std::size_t i) noexcept;

struct DecodedChar {
    char32_t code = 0;      // the code point, or U+FFFD when malformed
    std::size_t length = 0; // bytes of the character
    bool wellFormed = false;
};

// The character that begins at i (i < text.size()).
DecodedChar DecodeChar(std::string_view text, std::size_t i) noexcept;

// The number of characters that begin in [begin, end); a character begins at begin.
std::int64_t CountChars(const char* begin, const char* end) noexcept;

// Where the character count characters after the one at begin begins, or end when the text runs
// out first; a character begins at begin.
const char* AdvanceChars(const char* begin, const char* end, std::int64_t count) noexcept;

// Appends the UTF-8 encoding of code (a scalar value) to out.
template <class String> void AppendUtf8(String& out, char32_t code) {
    using Unit = typename String::value_type;
    if (code < 0x80) {
        out.push_back(Unit(code));
    } else if (code < 0x800) {
        out.push_back(Unit(0xC0 | (code >> 6)));
        out.push_back(Unit(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(Unit(0xE0 | (code >> 12)));
        out.push_back(Unit(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(Unit(0x80 | (code & 0x3F)));
    } else {
        out.push_back(Unit(0xF0 | (code >> 18)));
        out.push_back(Unit(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(Unit(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(Unit(0x80 | (code & 0x3F)));
    }
}

// Checks that a stream of bytes, given in pieces of any size, is well-formed UTF-8, and notes
// whether it holds a byte of 0x80 or above.
class Utf8Validator {
public:
    // Takes the next piece. Once the stream is known to be ill-formed, pieces are ignored.
    void feed(std::string_view piece) noexcept;
    // True while no ill-formed sequence has been seen (a sequence cut by the end of the pieces
    // given so far is not yet ill-formed).
    bool validSoFar() const noexcept { return !FInvalid; }
    // Ends the stream: true when the whole of it is well-formed.
    bool finish() noexcept;
    bool sawHighByte() const noexcept { return FHighByte; }

private:
    void feedScalar(std::string_view piece) noexcept;
    void feedVector(std::string_view piece) noexcept;

    bool FInvalid = false;
    bool FHighByte = false;
    // The scalar path: continuation bytes still expected, and the range of the next one.
    int FNeed = 0;
    unsigned char FLow = 0x80;
    unsigned char FHigh = 0xBF;
    // The vector path: the last 32 bytes checked, whether they end inside a sequence, and the
    // bytes given but not yet checked (fewer than 32).
    alignas(32) unsigned char FPrevious[32] = {};
    bool FPreviousIncomplete = false;
    alignas(32) unsigned char FPending[32] = {};
    std::size_t FPendingLength = 0;
};
