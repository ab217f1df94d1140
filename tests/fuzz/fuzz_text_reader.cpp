// SPDX-License-Identifier: GPL-3.0-or-later
// TextReader over any bytes, read in short pieces with interrupted reads and at most one failure,
// against the line rules written plainly (fuzz_files.h).
#include "fuzz_files.h"
#include "text/errors.h"

namespace {

// What a reading loop meets, in order: the lines, and the code of each failure (as "\x01code").
using Events = std::vector<std::string>;

std::string FailureEvent(int code) {
    return "\x01" + std::to_string(code);
}

Events ReadAll(TextReader& reader, bool reuse) {
    Events events;
    std::string line = "stale";
    for (;;) {
        try {
            if (reader.atEnd())
                break;
            if (reuse)
                reader.readLine(line);
            else
                line = reader.readLine();
            events.push_back(line);
        } catch (const EInOutError& error) {
            events.push_back(FailureEvent(error.code()));
        }
    }
    return events;
}

Events Expected(const std::string& data, const ReadPlan& plan) {
    const FailureCut cut = CutAtFailure(data, plan);
    Events events = ReaderLines(cut.before);
    if (cut.seen) {
        events.push_back(FailureEvent(FailureCode(plan)));
        for (const std::string& line : ReaderLines(cut.after))
            events.push_back(line);
    }
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool fold = data.ConsumeBool();
    const bool reuse = data.ConsumeBool();
    const size_t bufferSize = TakeBufferSize(data);
    const size_t length = data.ConsumeIntegralInRange<size_t>(0, 4096);
    std::string text = data.ConsumeBytesAsString(length);
    if (fold)
        text = FoldOntoLineControls(text);
    const ReadPlan plan = TakeReadPlan(data, text.size(), true);

    PlannedReader reader(bufferSize, plan, text);
    reader.open();
    Expect(ReadAll(reader, reuse) == Expected(text, plan), "lines");
    // At the end (a mark is never consumed) the reader stays there and reads empty lines.
    for (int i = 0; i < 2; ++i) {
        Expect(reader.atEnd(), "stays at its end");
        Expect(reader.readLine().empty(), "empty line at the end");
    }
    reader.close();
    Expect(!reader.isOpen(), "closed");
    return 0;
}
