// SPDX-License-Identifier: GPL-3.0-or-later
// SplitLines against a byte-by-byte reference, and LineList's checked access.
#include "fuzz_support.h"
#include "text/errors.h"
#include "text/line_list.h"

#include <vector>

namespace {

std::vector<std::string> ReferenceSplit(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        std::string line;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n' && text[i] != '\0')
            line += text[i++];
        lines.push_back(line);
        if (i < text.size() && text[i] == '\r')
            ++i;
        if (i < text.size() && text[i] == '\n')
            ++i;
    }
    return lines;
}

bool Raises(const LineList& lines, long long index) {
    try {
        (void)lines.at(index);
        return false;
    } catch (const EStringListError&) {
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool smallSet = data.ConsumeBool();
    const long long index = data.ConsumeIntegral<int16_t>();
    const std::string text = TakeString(data, 1 << 16, smallSet);

    const LineList lines = SplitLines(text);
    const std::vector<std::string> expected = ReferenceSplit(text);
    Expect(lines.count() == static_cast<long long>(expected.size()), "count");
    Expect(std::vector<std::string>(lines.begin(), lines.end()) == expected, "lines");
    const bool inRange = index >= 0 && index < lines.count();
    Expect(Raises(lines, index) == !inRange, "checked access");
    if (inRange)
        Expect(lines[index] == expected[static_cast<std::size_t>(index)], "entry");
    return 0;
}
