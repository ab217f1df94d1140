// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the fuzz targets: turning fuzzer bytes into strings that exercise the interesting
// paths, and stopping loudly on a mismatch with a reference.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

// A string of fuzzer bytes; with small set, the bytes are folded onto a few characters (letters,
// NUL, CR, LF, blank, digits) so that matches and line breaks are frequent.
inline std::string TakeString(FuzzedDataProvider& data, std::size_t maxLength, bool smallSet) {
    std::string text = data.ConsumeRandomLengthString(maxLength);
    if (smallSet) {
        static constexpr char kAlphabet[] = {'a', 'b', '\0', '\r', '\n', ' ', '0', 'x', '$', '-'};
        for (char& c : text)
            c = kAlphabet[static_cast<unsigned char>(c) % sizeof kAlphabet];
    }
    return text;
}

// Aborts, so that libFuzzer saves the input, when a result differs from its reference.
inline void Expect(bool same, const char* what) {
    if (!same) {
        std::fprintf(stderr, "mismatch: %s\n", what);
        std::abort();
    }
}

// Folds each byte onto a piece of UTF-8: ASCII, line controls, well-formed sequences of every
// length, the byte-order mark, and broken or ill-formed sequences.
inline std::string FoldOntoUtf8Pieces(const std::string& bytes) {
    static const char* const kPieces[] = {"a",
                                          "b",
                                          " ",
                                          "\r",
                                          "\n",
                                          "\x1A",
                                          "\0",
                                          "-",
                                          "\xC3\xA9",
                                          "\xC3\x89",
                                          "\xE2\x82\xAC",
                                          "\xCE\xB1",
                                          "\xE4\xB8\xAD",
                                          "\xF0\x9F\x98\x80",
                                          "\xCC\x81",
                                          "\xEF\xBB\xBF",
                                          "\xC3",
                                          "\xA9",
                                          "\xE2\x82",
                                          "\xED\xA0\x80",
                                          "\xC0\xAF",
                                          "\xFF"};
    static const std::size_t kLengths[] = {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3,
                                           2, 3, 4, 2, 3, 1, 1, 2, 3, 2, 1};
    std::string text;
    for (const char c : bytes) {
        const std::size_t k = static_cast<unsigned char>(c) % std::size(kLengths);
        text.append(kPieces[k], kLengths[k]);
    }
    return text;
}
