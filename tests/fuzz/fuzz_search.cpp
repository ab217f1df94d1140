// SPDX-License-Identifier: GPL-3.0-or-later
// SearchLine on one line, and SearchFile over a small file read in short pieces (a few lines read
// first, sometimes, and at most one failure), against a reference that tries every character of
// every line that the reader's rules give; in Windows-1252 or in UTF-8 (occurrences of whole
// characters, columns in characters, words by character, malformed characters included).
#include "fuzz_files.h"
#include "text/errors.h"
#include "text/search.h"
#include "text/word.h"
#include "utf8_reference.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace {

struct Hit {
    int64_t line;
    int64_t column;
    std::string word;
    bool operator==(const Hit&) const = default;
};

// Records the occurrences and checks the order of the calls: progress never goes back, and every
// occurrence is of the line last given to progress, after the occurrences before it.
class Recorder : public SearchSink {
public:
    explicit Recorder(int64_t firstProgress) : lastProgress(firstProgress) {}
    std::vector<Hit> hits;
    int64_t lastProgress;
    bool progressed = false;

    void found(int64_t line, int64_t column, std::string_view word) override {
        Expect(line == lastProgress, "an occurrence of the line last reported");
        Expect(hits.empty() ||
                   std::tie(hits.back().line, hits.back().column) < std::tie(line, column),
               "occurrences in file order");
        hits.push_back({line, column, std::string(word)});
    }
    void progress(int64_t currentLine) override {
        Expect(currentLine >= lastProgress, "progress never goes back");
        lastProgress = currentLine;
        progressed = true;
    }
};

// A UTF-8 word character: well-formed, and a word character by its code point.
bool RefWordChar(std::string_view c) {
    const std::optional<char32_t> code = RefDecode(c);
    return code && IsWordCodePoint(*code);
}

// The characters of text: its bytes in Windows-1252.
std::vector<std::string_view> Chars(std::string_view text, TextEncoding encoding) {
    if (encoding == TextEncoding::Utf8)
        return RefChars(text);
    std::vector<std::string_view> bytes;
    for (size_t i = 0; i < text.size(); ++i)
        bytes.push_back(text.substr(i, 1));
    return bytes;
}

// The characters of a line as the rules see them, worked out once per line: where each begins
// (at every byte in Windows-1252) and which are word characters.
class CharMap {
public:
    CharMap(const std::string& line, TextEncoding encoding)
        : FStarts(line.size()), FWord(line.size()) {
        const bool utf8 = encoding == TextEncoding::Utf8;
        for (size_t i = 0; i < line.size(); ++i) {
            FStarts[i] = !utf8 || RefStartsAt(line, i);
            if (FStarts[i])
                FWord[i] = utf8 ? RefWordChar(RefCharAt(line, i))
                                : IsWordChar(static_cast<unsigned char>(line[i]));
        }
    }
    size_t size() const { return FStarts.size(); }
    bool isWord(size_t i) const { return FWord[i]; }
    size_t next(size_t i) const {
        do
            ++i;
        while (i < size() && !FStarts[i]);
        return i;
    }
    size_t previous(size_t i) const {
        do
            --i;
        while (i > 0 && !FStarts[i]);
        return i;
    }

private:
    std::vector<char> FStarts, FWord;
};

// The run of word characters around the character at byte at.
std::string ReferenceWord(const std::string& line, size_t at, const CharMap& map) {
    size_t end = at;
    while (end < map.size() && map.isWord(end))
        end = map.next(end);
    if (end == at)
        return "";
    size_t start = at;
    while (start > 0 && map.isWord(map.previous(start)))
        start = map.previous(start);
    return line.substr(start, end - start);
}

// Every place of the line where the pattern's characters stand as whole characters of the line,
// in order; with a step, a place closer than step bytes to the last one taken is passed over.
void ReferenceLine(const std::string& line, const std::string& pattern, int32_t step,
                   int64_t lineNumber, std::vector<Hit>& hits, TextEncoding encoding) {
    if (pattern.empty() || line.find(pattern) == std::string::npos)
        return;
    const CharMap map(line, encoding);
    const std::vector<std::string_view> chars = Chars(line, encoding);
    const std::vector<std::string_view> wanted = Chars(pattern, encoding);
    size_t allowed = 0;
    size_t p = 0; // the first byte of chars[k]
    for (size_t k = 0; k + wanted.size() <= chars.size(); p += chars[k++].size()) {
        if (p < allowed ||
            !std::equal(wanted.begin(), wanted.end(), chars.begin() + std::ptrdiff_t(k)))
            continue;
        hits.push_back({lineNumber, int64_t(k) + 1, ReferenceWord(line, p, map)});
        allowed = p + size_t(std::max(step, 1));
    }
}

// A search string is well-formed UTF-8 in a UTF-8 source, as the window encodes it.
std::string TakePattern(FuzzedDataProvider& data, const std::string& text, int fold,
                        TextEncoding encoding) {
    std::string pattern;
    if (!text.empty() && data.ConsumeBool()) {
        const size_t at = data.ConsumeIntegralInRange<size_t>(0, text.size() - 1);
        pattern = text.substr(at, data.ConsumeIntegralInRange<size_t>(1, 6));
    } else {
        pattern = data.ConsumeRandomLengthString(6);
        pattern = fold == 0   ? pattern
                  : fold == 1 ? FoldOntoLineControls(pattern)
                              : FoldOntoUtf8Pieces(pattern);
    }
    return encoding == TextEncoding::Utf8 && !RefWellFormed(pattern) ? "" : pattern;
}

int32_t TakeStep(FuzzedDataProvider& data, const std::string& pattern) {
    return data.ConsumeBool()
               ? ResumeStep(pattern)
               : data.ConsumeIntegralInRange<int32_t>(-1, int32_t(pattern.size()) + 3);
}

void CheckSearchLine(const std::string& line, const std::string& pattern, int32_t step,
                     int64_t lineNumber, TextEncoding encoding) {
    std::vector<Hit> expected;
    ReferenceLine(line, pattern, step, lineNumber, expected, encoding);
    Recorder recorder(lineNumber);
    SearchLine(line, pattern, step, lineNumber, recorder, encoding);
    Expect(recorder.hits == expected, "SearchLine");
    // The resume step passes over no occurrence.
    std::vector<Hit> all;
    ReferenceLine(line, pattern, 1, lineNumber, all, encoding);
    std::vector<Hit> stepped;
    ReferenceLine(line, pattern, ResumeStep(pattern), lineNumber, stepped, encoding);
    Expect(all == stepped, "ResumeStep passes over nothing");
}

// A failure while the first lines are read ends the check: the run would not start.
void CheckSearchFile(const std::string& text, const std::string& pattern, int32_t step,
                     const ReadPlan& plan, size_t bufferSize, int preRead, TextEncoding encoding) {
    PlannedReader reader(bufferSize, plan, text);
    reader.open();
    int64_t currentLine = 0;
    try {
        for (; currentLine < preRead && !reader.atEnd(); ++currentLine)
            reader.readLine();
    } catch (const EInOutError&) {
        return;
    }
    const FailureCut cut = CutAtFailure(text, plan);
    const std::vector<std::string> lines = ReaderLines(cut.before);
    std::vector<Hit> expected;
    for (size_t l = size_t(currentLine); l < lines.size(); ++l)
        ReferenceLine(lines[l], pattern, step, int64_t(l + 1), expected, encoding);

    const int64_t first = currentLine;
    Recorder recorder(first);
    int error = 0;
    try {
        SearchFile(reader, pattern, step, currentLine, recorder, encoding);
        Expect(reader.atEnd(), "the run ends at the end of the file");
    } catch (const EInOutError& e) {
        error = e.code();
    }
    Expect(error == (cut.seen ? FailureCode(plan) : 0), "failure raised");
    Expect(recorder.hits == expected, "SearchFile occurrences");
    Expect(currentLine == int64_t(lines.size()), "SearchFile currentLine");
    Expect(recorder.progressed == (currentLine != first) &&
               (!recorder.progressed || recorder.lastProgress == currentLine),
           "final progress");
    reader.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int fold = data.ConsumeIntegralInRange(0, 2);
    const TextEncoding encoding = data.ConsumeBool() ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    const size_t bufferSize = TakeBufferSize(data);
    const int preRead = data.ConsumeBool() ? data.ConsumeIntegralInRange(1, 4) : 0;
    const int64_t lineNumber = data.ConsumeIntegral<int64_t>();
    std::string text = data.ConsumeRandomLengthString(1024);
    text = fold == 0 ? text : fold == 1 ? FoldOntoLineControls(text) : FoldOntoUtf8Pieces(text);
    const std::string pattern = TakePattern(data, text, fold, encoding);
    const int32_t step = TakeStep(data, pattern);
    const ReadPlan plan = TakeReadPlan(data, text.size(), true);

    CheckSearchLine(text.substr(0, 512), pattern, step, lineNumber, encoding);
    CheckSearchFile(text, pattern, step, plan, bufferSize, preRead, encoding);
    return 0;
}
