// SearchLine on one line, and SearchFile over a small file read in short pieces (a few lines read
// first, sometimes, and at most one failure), against a reference that tries every position of
// every line that the reader's rules give.
#include "fuzz_files.h"
#include "text/errors.h"
#include "text/search.h"
#include "text/word.h"

#include <tuple>

namespace {

struct Hit {
    int32_t line;
    int32_t column;
    std::string word;
    bool operator==(const Hit&) const = default;
};

// Records the occurrences and checks the order of the calls: progress never goes back, and every
// occurrence is of the line last given to progress, after the occurrences before it.
class Recorder : public SearchSink {
public:
    explicit Recorder(int32_t firstProgress) : lastProgress(firstProgress) {}
    std::vector<Hit> hits;
    int32_t lastProgress;
    bool progressed = false;

    void found(int32_t line, int32_t column, std::string_view word) override {
        Expect(line == lastProgress, "an occurrence of the line last reported");
        Expect(hits.empty() ||
                   std::tie(hits.back().line, hits.back().column) < std::tie(line, column),
               "occurrences in file order");
        hits.push_back({line, column, std::string(word)});
    }
    void progress(int32_t currentLine) override {
        Expect(currentLine >= lastProgress, "progress never goes back");
        lastProgress = currentLine;
        progressed = true;
    }
};

std::string ReferenceWord(const std::string& line, size_t at) {
    size_t start = at, end = at;
    while (end < line.size() && IsWordChar(static_cast<unsigned char>(line[end])))
        ++end;
    if (end == at)
        return "";
    while (start > 0 && IsWordChar(static_cast<unsigned char>(line[start - 1])))
        --start;
    return line.substr(start, end - start);
}

// Every place of the line where the pattern stands, in order; with a step, a place closer than
// step to the last one taken is passed over.
void ReferenceLine(const std::string& line, const std::string& pattern, int32_t step,
                   int32_t lineNumber, std::vector<Hit>& hits) {
    size_t allowed = 0;
    for (size_t p = 0; !pattern.empty() && p + pattern.size() <= line.size(); ++p) {
        if (p < allowed || line.compare(p, pattern.size(), pattern) != 0)
            continue;
        hits.push_back({lineNumber, int32_t(p + 1), ReferenceWord(line, p)});
        allowed = p + size_t(std::max(step, 1));
    }
}

std::string TakePattern(FuzzedDataProvider& data, const std::string& text, bool fold) {
    if (!text.empty() && data.ConsumeBool()) {
        const size_t at = data.ConsumeIntegralInRange<size_t>(0, text.size() - 1);
        return text.substr(at, data.ConsumeIntegralInRange<size_t>(1, 6));
    }
    const std::string pattern = data.ConsumeRandomLengthString(6);
    return fold ? FoldOntoLineControls(pattern) : pattern;
}

int32_t TakeStep(FuzzedDataProvider& data, const std::string& pattern) {
    return data.ConsumeBool()
               ? ResumeStep(pattern)
               : data.ConsumeIntegralInRange<int32_t>(-1, int32_t(pattern.size()) + 3);
}

void CheckSearchLine(const std::string& line, const std::string& pattern, int32_t step,
                     int32_t lineNumber) {
    std::vector<Hit> expected;
    ReferenceLine(line, pattern, step, lineNumber, expected);
    Recorder recorder(lineNumber);
    SearchLine(line, pattern, step, lineNumber, recorder);
    Expect(recorder.hits == expected, "SearchLine");
    // The resume step passes over no occurrence.
    std::vector<Hit> all;
    ReferenceLine(line, pattern, 1, lineNumber, all);
    std::vector<Hit> stepped;
    ReferenceLine(line, pattern, ResumeStep(pattern), lineNumber, stepped);
    Expect(all == stepped, "ResumeStep passes over nothing");
}

// A failure while the first lines are read ends the check: the run would not start.
void CheckSearchFile(const std::string& text, const std::string& pattern, int32_t step,
                     const ReadPlan& plan, size_t bufferSize, int preRead) {
    Scratch().write(text);
    PlannedReader reader(bufferSize, plan);
    reader.open(Scratch().path());
    int32_t currentLine = 0;
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
        ReferenceLine(lines[l], pattern, step, int32_t(l + 1), expected);

    const int32_t first = currentLine;
    Recorder recorder(first);
    int error = 0;
    try {
        SearchFile(reader, pattern, step, currentLine, recorder);
        Expect(reader.atEnd(), "the run ends at the end of the file");
    } catch (const EInOutError& e) {
        error = e.code();
    }
    Expect(error == (cut.seen ? FailureCode(plan) : 0), "failure raised");
    Expect(recorder.hits == expected, "SearchFile occurrences");
    Expect(currentLine == int32_t(lines.size()), "SearchFile currentLine");
    Expect(recorder.progressed == (currentLine != first) &&
               (!recorder.progressed || recorder.lastProgress == currentLine),
           "final progress");
    reader.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool fold = data.ConsumeBool();
    const size_t bufferSize = TakeBufferSize(data);
    const int preRead = data.ConsumeBool() ? data.ConsumeIntegralInRange(1, 4) : 0;
    const int32_t lineNumber = data.ConsumeIntegral<int32_t>();
    std::string text = data.ConsumeRandomLengthString(2048);
    if (fold)
        text = FoldOntoLineControls(text);
    const std::string pattern = TakePattern(data, text, fold);
    const int32_t step = TakeStep(data, pattern);
    const ReadPlan plan = TakeReadPlan(data, text.size(), true);

    CheckSearchLine(text.substr(0, 512), pattern, step, lineNumber);
    CheckSearchFile(text, pattern, step, plan, bufferSize, preRead);
    return 0;
}
