#pragma once
// Shared by the fuzz targets: turning fuzzer bytes into strings that exercise the interesting
// paths, and stopping loudly on a mismatch with a reference.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
