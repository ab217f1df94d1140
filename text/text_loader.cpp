// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_loader.h"

#include "text/aligned_buffer.h"
#include "text/break_converter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kLead = 64; // room for the byte before a block
constexpr std::size_t kHeadLength = kByteOrderMark.size();
// The pages of the text are faulted in by a second thread, this far ahead of the text written.
constexpr std::size_t kPrefaultAhead = std::size_t(8) << 20;

// The text as it is built: pieces of the file (after the byte-order mark) are cut at the first
// NUL, converted into the text and indexed.
class TextBuilder {
public:
    explicit TextBuilder(std::int64_t capacity) : FCapacity(capacity) { FRows.clear(); }

    bool cut() const noexcept { return FCut; }
    bool refused() const noexcept { return FRefused; }

    // Drops the text, which then takes no more bytes.
    void refuse() {
        FRefused = true;
        FText.clear(); // frees what may be gigabytes before the reading goes on
        FRows = RowIndex();
    }

    // About left more bytes of the file are to come: the pages of the text they make are faulted
    // in ahead, as far as the text so far says they reach (a lone LF becomes two bytes).
    void expect(std::int64_t left) {
        if (FRefused || left <= 0)
            return;
        const double grows = FAdded == 0 ? 1.0 : double(FText.size()) / double(FAdded);
        FText.expect(std::min(std::size_t(double(left) * grows), kPrefaultAhead));
    }

    // in[-1] and BreakConverter::kSlack bytes after the piece are readable.
    void add(const char* in, std::size_t n) {
        if (FCut || FRefused || n == 0)
            return;
        FAdded += n;
        if (const void* nul = std::memchr(in, '\0', n)) {
            n = std::size_t(static_cast<const char*>(nul) - in);
            FCut = true;
        }
        const std::size_t at = FText.size();
        char* out = FText.extend(2 * n + 2 + BreakConverter::kSlack);
        settle(at, FConverter.convert(in, n, out) - out);
    }

    LoadedText finish(TextEncoding encoding) {
        FText.stopFaulting();
        if (!FRefused) {
            const std::size_t at = FText.size();
            char* out = FText.extend(2);
            settle(at, FConverter.finish(out) - out);
        }
        return {std::move(FText), encoding, std::move(FRows), FCut, FRefused};
    }

private:
    // The converter wrote written bytes at at.
    void settle(std::size_t at, std::ptrdiff_t written) {
        FText.truncate(at + std::size_t(written));
        if (std::int64_t(FText.size()) > FCapacity) {
            refuse();
            return;
        }
        FRows.extend(FText.view(), at);
    }

    std::int64_t FCapacity;
    TextBuffer FText;
    RowIndex FRows;
    BreakConverter FConverter;
    bool FCut = false;
    bool FRefused = false;
    std::size_t FAdded = 0; // bytes of the file handed to add()
};

} // namespace

LoadedText LoadText(int fd, std::int64_t capacity, const ReadFunction& read, int waitMs) {
    ByteSource source(fd, waitMs, read);
    const std::int64_t size = source.regularSize();
    const std::size_t block = source.blockSize();
    AlignedBuffer buffer(kLead + block + BreakConverter::kSlack);
    char* const in = buffer.data() + kLead;
    in[-1] = '\0';
    TextBuilder builder(capacity);
    EncodingDetector detector;
    // The first bytes wait until there are enough of them to tell a byte-order mark.
    char head[1 + kHeadLength + BreakConverter::kSlack] = {};
    std::size_t headLength = 0;
    bool headDone = false;
    for (;;) {
        builder.expect(size - source.delivered());
        // A failed read ends the data, and so does a silent source.
        const std::size_t got = source.read(in, block).count;
        if (got == 0)
            break;
        // A regular file ends; a device such as /dev/zero may not, nor fill the text (NUL bytes).
        if (!source.regular() && source.delivered() > capacity)
            builder.refuse();
        detector.feed({in, got});
        std::size_t skip = 0;
        if (!headDone) {
            skip = std::min(got, kHeadLength - headLength);
            std::memcpy(head + 1 + headLength, in, skip);
            headLength += skip;
            if (headLength < kHeadLength)
                continue;
            headDone = true;
            if (!detector.hasByteOrderMark())
                builder.add(head + 1, headLength);
        }
        builder.add(in + skip, got - skip);
        if (builder.cut() && detector.decided())
            break; // the rest of the file changes nothing
        if (builder.refused() && (detector.decided() || source.delivered() >= size))
            break; // only the encoding was left to decide
    }
    if (!headDone)
        builder.add(head + 1, headLength);
    return builder.finish(detector.finish());
}
