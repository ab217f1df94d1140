// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two encodings of a source text, and how a file's bytes decide between them.
//
// A file is a UTF-8 text when it starts with the UTF-8 byte-order mark, or when its bytes are
// well-formed UTF-8 and hold at least one byte of 0x80 or above. Every other file is Windows-1252,
// one byte a character; so a pure ASCII file reads the same either way.

#include "text/utf8.h"

#include <cstddef>
#include <string_view>

enum class TextEncoding { Cp1252, Utf8 };

// Decides the encoding of a file from its bytes, given in order in pieces of any size.
class EncodingDetector {
public:
    void feed(std::string_view piece) noexcept;
    // True once more bytes cannot change the outcome: a byte-order mark, or ill-formed UTF-8.
    bool decided() const noexcept;
    // The encoding of all the bytes fed; ends the detection.
    TextEncoding finish() noexcept;
    // Whether the file starts with the byte-order mark (known once three bytes came).
    bool hasByteOrderMark() const noexcept;

private:
    Utf8Validator FValidator;
    char FHead[3] = {};
    std::size_t FHeadLength = 0;
};
