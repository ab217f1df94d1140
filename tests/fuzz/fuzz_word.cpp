// SPDX-License-Identifier: GPL-3.0-or-later
// IsWordChar, WordAround and the result line against references: word characters by class, the
// word as the run of word characters that covers the position, the line by standard formatting.
#include "fuzz_support.h"
#include "text/word.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace {

// ASCII letters and digits, hyphen-minus, underscore, and the lower-case accented letters of
// Windows-1252 (0xE0 to 0xFC, less the division sign 0xF7 and o with stroke 0xF8).
bool ReferenceIsWordChar(unsigned char c) {
    if (c < 0x80)
        return std::isalnum(c) || c == '-' || c == '_';
    return c >= 0xE0 && c <= 0xFC && c != 0xF7 && c != 0xF8;
}

// Cuts the line into runs of word characters and gives, for every position p from 0 to the
// line's length + 1, the run that covers p (1-based), or "".
std::vector<std::string> ReferenceWordsAround(const std::string& line) {
    std::vector<std::string> words(line.size() + 2);
    size_t start = 0;
    for (size_t i = 0; i <= line.size(); ++i) {
        const bool word =
            i < line.size() && ReferenceIsWordChar(static_cast<unsigned char>(line[i]));
        if (word)
            continue;
        for (size_t p = start + 1; p <= i; ++p)
            words[p] = line.substr(start, i - start);
        start = i + 1;
    }
    return words;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    for (unsigned c = 0; c < 256; ++c)
        Expect(IsWordChar(static_cast<unsigned char>(c)) ==
                   ReferenceIsWordChar(static_cast<unsigned char>(c)),
               "IsWordChar");

    FuzzedDataProvider data(bytes, size);
    const int32_t lineNumber = data.ConsumeIntegral<int32_t>();
    const int32_t column = data.ConsumeIntegral<int32_t>();
    const std::string prefix = data.ConsumeRandomLengthString(16);
    // Every position of the line is checked, each over its whole word: short lines keep that fast,
    // and no rule of a word depends on its length.
    std::string line = data.ConsumeRandomLengthString(128);
    if (!line.empty() && (line[0] & 1)) // fold onto a few bytes, so that words are long
        for (char& c : line)
            c = "a-_ \xE9\xC9\0,"[static_cast<unsigned char>(c) % 8];

    const std::vector<std::string> words = ReferenceWordsAround(line);
    for (size_t p = 0; p < words.size(); ++p) {
        const std::string& expected = words[p];
        Expect(WordAround(line, p) == expected, "WordAround");
        const std::string_view view = WordViewAround(line, p);
        Expect(view == expected, "WordViewAround");
        Expect(view.empty() || (view.data() >= line.data() &&
                                view.data() + view.size() <= line.data() + line.size()),
               "the view lies in the line");
    }
    const std::string expected =
        ">" + std::to_string(lineNumber) + "," + std::to_string(column) + ":" + line;
    Expect(ResultLine(lineNumber, column, line) == expected, "ResultLine");
    std::string out = prefix;
    AppendResultLine(out, lineNumber, column, line);
    Expect(out == prefix + expected, "AppendResultLine");
    return 0;
}
