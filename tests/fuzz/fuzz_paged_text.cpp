// SPDX-License-Identifier: GPL-3.0-or-later
// A file's text read from its pages against the same file read into memory: for fuzzer files
// (lone CR and LF, CR LF, NUL, byte 26, a byte-order mark, ill-formed UTF-8, long rows, repeated
// past the 64 KiB blocks) and fuzzer operations, both models give the same answers; the open's
// scan gives the same counts in one pass and in two halves.
#include "fuzz_files.h"
#include "text/file_handle.h"
#include "text/text_model.h"
#include "text/text_scan.h"

#include <fcntl.h>

namespace {

constexpr std::size_t kMaxPattern = 512;
constexpr std::int64_t kBlock = TextScan::kBlock;

TextModel Loaded(bool paged) {
    TextModel model;
    TextLimits limits = model.limits();
    limits.paged = paged;
    model.setLimits(limits);
    model.loadFromFile(Scratch().path());
    return model;
}

// The file: a pattern, repeated to cross blocks when the fuzzer says so.
std::string TakeFile(FuzzedDataProvider& data) {
    const std::string pattern = FoldOntoUtf8Pieces(data.ConsumeRandomLengthString(kMaxPattern));
    const int repeats = data.ConsumeBool() ? data.ConsumeIntegralInRange(1, 700) : 1;
    std::string bytes;
    for (int i = 0; i < repeats; ++i)
        bytes += pattern;
    return bytes;
}

void CompareScans(std::int64_t size) {
    const FileHandle file(::open(Scratch().path().c_str(), O_RDONLY));
    const TextScan one = ScanText(file.fd(), size, INT64_MAX);
    const TextScan two = ScanText(file.fd(), size, 0);
    Expect(one.encoding == two.encoding && one.end == two.end && one.cutAtNul == two.cutAtNul &&
               one.longest == two.longest && one.blocks.size() == two.blocks.size(),
           "two halves scan as one pass");
    for (std::size_t k = 0; k < one.blocks.size(); ++k)
        Expect(one.blocks[k].breaks == two.blocks[k].breaks &&
                   one.blocks[k].lone == two.blocks[k].lone &&
                   one.blocks[k].chars == two.blocks[k].chars,
               "block counts of two halves");
}

void CompareRows(const TextModel& memory, const TextModel& paged, FuzzedDataProvider& data) {
    Expect(paged.size() == memory.size() && paged.rowCount() == memory.rowCount() &&
               paged.lineCount() == memory.lineCount() && paged.encoding() == memory.encoding() &&
               paged.longestRow() == memory.longestRow(),
           "sizes");
    const int rows = memory.rowCount();
    for (int i = 0; i < 64 && data.remaining_bytes() > 0; ++i) {
        const int row = data.ConsumeIntegralInRange(0, rows - 1);
        Expect(paged.rowStart(row) == memory.rowStart(row), "rowStart");
        Expect(paged.rowText(row).view() == memory.rowText(row).view(), "rowText");
        Expect(paged.rowOffset(row) == memory.rowOffset(row), "rowOffset");
    }
}

void CompareOffsets(TextModel& memory, TextModel& paged, FuzzedDataProvider& data) {
    const std::int64_t size = memory.size();
    const std::int64_t chars = memory.charOffset(size);
    while (data.remaining_bytes() > 0) {
        const std::int64_t at = data.ConsumeIntegralInRange<std::int64_t>(0, size);
        Expect(paged.rowOfOffset(at) == memory.rowOfOffset(at), "rowOfOffset");
        Expect(paged.charOffset(at) == memory.charOffset(at), "charOffset");
        Expect(paged.pairAt(at) == memory.pairAt(at), "pairAt");
        if (at < size)
            Expect(paged.nextChar(at) == memory.nextChar(at) &&
                       paged.classAt(at) == memory.classAt(at),
                   "nextChar, classAt");
        if (at > 0)
            Expect(paged.previousChar(at) == memory.previousChar(at), "previousChar");
        const std::int64_t c = data.ConsumeIntegralInRange<std::int64_t>(0, chars + 1);
        Expect(paged.byteOffset(c) == memory.byteOffset(c), "byteOffset");
        const std::int64_t to = at + data.ConsumeIntegralInRange<std::int64_t>(0, 2 * kBlock);
        const std::int64_t most = data.ConsumeIntegralInRange<std::int64_t>(0, 300);
        Expect(paged.piece(at, to, most) == memory.piece(at, to, most), "piece");
        const std::int64_t length = data.ConsumeIntegralInRange<std::int64_t>(-5, 400);
        for (TextModel* model : {&memory, &paged}) {
            model->setSelStart(c);
            model->setSelLength(length);
        }
        Expect(paged.selStart() == memory.selStart() && paged.selLength() == memory.selLength() &&
                   paged.selectedText() == memory.selectedText(),
               "selection");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string file = TakeFile(data);
    Scratch().write(file);
    CompareScans(std::int64_t(file.size()));
    TextModel memory = Loaded(false);
    TextModel paged = Loaded(true);
    CompareRows(memory, paged, data);
    CompareOffsets(memory, paged, data);
    return 0;
}
