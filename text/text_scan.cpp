// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_scan.h"

#include "text/aligned_buffer.h"
#include "text/file_handle.h"
#include "text/simd.h"
#include "text/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <thread>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr int kChunk = 64;

// Bit i of each mask tells byte i of a chunk of 64.
struct Masks {
    std::uint64_t cr = 0;
    std::uint64_t lf = 0;
    std::uint64_t continuation = 0;
    std::uint64_t high = 0; // 0x80 and above
};

Masks ClassifyScalar(const char* p, int n) {
    Masks m;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t bit = std::uint64_t(1) << i;
        const auto b = static_cast<unsigned char>(p[i]);
        m.cr |= b == kCr ? bit : 0;
        m.lf |= b == kLf ? bit : 0;
        m.continuation |= IsContinuationByte(b) ? bit : 0;
        m.high |= b >= 0x80 ? bit : 0;
    }
    return m;
}

#if TROUVE_HAVE_AVX2_PATH
[[gnu::always_inline]] TROUVE_AVX2 inline std::uint64_t Mask64(__m256i low, __m256i high) {
    return std::uint64_t(std::uint32_t(_mm256_movemask_epi8(low))) |
           std::uint64_t(std::uint32_t(_mm256_movemask_epi8(high))) << 32;
}

[[gnu::always_inline]] TROUVE_AVX2 inline Masks ClassifyAvx2(const char* p) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    // Continuation bytes, 0x80 to 0xBF, are the signed bytes below -64.
    const __m256i lead = _mm256_set1_epi8(-64);
    return {Mask64(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(high, cr)),
            Mask64(_mm256_cmpeq_epi8(low, lf), _mm256_cmpeq_epi8(high, lf)),
            Mask64(_mm256_cmpgt_epi8(lead, low), _mm256_cmpgt_epi8(lead, high)), Mask64(low, high)};
}
#endif

// Reads of this size stay in the processor's second-level cache.
constexpr std::int64_t kReadBlock = std::int64_t(1) << 18;

// The encoding of the bytes scanned: UTF-8 after a mark, or when well-formed with a byte of
// 0x80 or above (as text/encoding.h decides).
TextScan Finished(TextScan scan, bool marked, bool wellFormed, bool highByte) {
    scan.encoding = marked || (wellFormed && highByte) ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    return scan;
}

// What the count carries from one chunk to the next. A value, so that the vector loop keeps it in
// registers.
struct Count {
    BlockCounts total;
    std::int64_t pos = 0;
    std::int64_t rowStart = 0; // where the last row began
    std::int64_t longest = 0;
    std::int64_t firstBreak = -1; // the first break byte, -1 while none came
    bool carryCr = false;         // the byte before is a CR
    bool carryAscii = true;       // the byte before is ASCII, or the text begins here
};

// Break bytes of the chunk at c.pos: the rows between them are measured while no row is known to
// be longer than a chunk, after that only the row that ends here.
[[gnu::always_inline]] inline void CountRows(Count& c, std::uint64_t breaks) {
    if (breaks == 0)
        return;
    if (c.firstBreak < 0)
        c.firstBreak = c.pos + std::countr_zero(breaks);
    if (c.longest >= kChunk) {
        c.longest = std::max(c.longest, c.pos + std::countr_zero(breaks) - c.rowStart);
        c.rowStart = c.pos + (kChunk - std::countl_zero(breaks));
        return;
    }
    for (; breaks != 0; breaks &= breaks - 1) {
        const std::int64_t at = c.pos + std::countr_zero(breaks);
        c.longest = std::max(c.longest, at - c.rowStart);
        c.rowStart = at + 1;
    }
}

// Counts the first n bytes (0 < n <= 64) of a chunk; inlined into the vector loop, where popcount
// is one instruction and n a constant.
[[gnu::always_inline]] inline void CountChunk(Count& c, Masks m, int n) {
    const std::uint64_t valid = n == kChunk ? ~std::uint64_t(0) : (std::uint64_t(1) << n) - 1;
    const std::uint64_t cr = m.cr & valid;
    const std::uint64_t lf = m.lf & valid;
    const std::uint64_t last = std::uint64_t(1) << (n - 1);
    BlockCounts& total = c.total;
    if ((cr | std::uint64_t(c.carryCr)) == 0) {
        const int breaks = std::popcount(lf); // every LF is lone
        total.breaks += breaks;
        total.lone += breaks;
    } else {
        const std::uint64_t pairLf = lf & ((cr << 1) | std::uint64_t(c.carryCr));
        const std::uint64_t loneLf = lf & ~pairLf;
        total.breaks += std::popcount(cr) + std::popcount(loneLf);
        if (c.carryCr && (lf & 1) == 0)
            ++total.lone; // the CR that ended the chunk before
        total.lone += std::popcount(cr & ~last & ~(lf >> 1)) + std::popcount(loneLf);
        c.carryCr = (cr & last) != 0;
    }
    // A character begins at a byte that continues none, or after an ASCII byte.
    const std::uint64_t afterAscii = (~m.high << 1) | std::uint64_t(c.carryAscii);
    total.chars += std::popcount((~m.continuation | afterAscii) & valid);
    c.carryAscii = (m.high & last) == 0;
    CountRows(c, cr | lf);
    c.pos += n;
}

#if TROUVE_HAVE_AVX2_PATH
// Counts the whole chunks of p[0, n); returns the bytes counted.
TROUVE_AVX2 std::int64_t CountChunksAvx2(Count& count, const char* p, std::int64_t n) {
    Count c = count;
    std::int64_t i = 0;
    for (; i + kChunk <= n; i += kChunk)
        CountChunk(c, ClassifyAvx2(p + i), kChunk);
    count = c;
    return i;
}
#endif

// Counts a text handed over in order, block by block.
class Scanner {
public:
    // Counts from start; the byte before it, when the text began earlier, was a CR or ASCII.
    explicit Scanner(std::int64_t start, bool afterCr = false, bool afterAscii = true)
        : FFirstBlock(start / TextScan::kBlock) {
        FScan.start = start;
        FCount.pos = start;
        FCount.rowStart = start;
        FCount.carryCr = afterCr;
        FCount.carryAscii = afterAscii;
    }

    bool cut() const noexcept { return FScan.cutAtNul; }

    // Bytes p[0, n) at the scanner's position, which stays inside one 64 KiB block of the file;
    // the text ends at the first NUL.
    void feed(const char* p, std::int64_t n) {
        if (FCount.pos % TextScan::kBlock == 0 || FScan.blocks.empty())
            noteBlock(p[0]);
        const auto* nul = static_cast<const char*>(std::memchr(p, 0, std::size_t(n)));
        const std::int64_t end = nul != nullptr ? nul - p : n;
        std::int64_t i = 0;
#if TROUVE_HAVE_AVX2_PATH
        if (HasAvx2())
            i = CountChunksAvx2(FCount, p, end);
#endif
        for (; i < end; i += kChunk) {
            const int length = int(std::min<std::int64_t>(kChunk, end - i));
            CountChunk(FCount, ClassifyScalar(p + i, length), length);
        }
        FScan.cutAtNul = nul != nullptr;
    }

    // Ends the text here.
    TextScan finish() {
        if (FCount.carryCr)
            ++FCount.total.lone; // a CR at the end of the text is lone
        FCount.carryCr = false;
        return part();
    }
    // What was counted, for a part of the text that another part continues.
    TextScan part() {
        FScan.total = FCount.total;
        FScan.end = FCount.pos;
        FScan.longest = std::max(FCount.longest, FCount.pos - FCount.rowStart);
        return std::move(FScan);
    }
    // Where the last row began, and the first break byte (-1 when none came).
    std::int64_t rowStart() const noexcept {
        return FCount.rowStart;
    }
    std::int64_t firstBreak() const noexcept {
        return FCount.firstBreak;
    }

private:
    // The counts before the block that begins here; first is its first byte.
    void noteBlock(char first) {
        // Block 0 counts from the file's start, before any byte-order mark.
        while (std::int64_t(FScan.blocks.size()) < FCount.pos / TextScan::kBlock - FFirstBlock)
            FScan.blocks.push_back(FCount.total);
        BlockCounts before = FCount.total;
        if (FCount.carryCr && first != kLf)
            ++before.lone;
        FScan.blocks.push_back(before);
    }

    TextScan FScan;
    Count FCount;
    std::int64_t FFirstBlock; // the block of the file that blocks[0] counts before
};

// Reads [from, to) of fd in blocks: each handed to take(bytes, offset), which returns false to
// stop. Returns the offset reached (short of to when the file ended sooner or a read failed).
template <class Take>
std::int64_t ReadRange(int fd, std::int64_t from, std::int64_t to, Take&& take) {
    AlignedBuffer buffer(kReadBlock);
    while (from < to) {
        const auto want = std::size_t(std::min<std::int64_t>(kReadBlock, to - from));
        const std::size_t got = ReadAt(fd, buffer.data(), want, from);
        if (got == 0 || !take(std::string_view(buffer.data(), got), from))
            return from + std::int64_t(got);
        from += std::int64_t(got);
    }
    return from;
}

// The bytes, which begin at offset in the file, that lie in [from, to).
std::string_view Within(std::string_view bytes, std::int64_t offset, std::int64_t from,
                        std::int64_t to) {
    const auto size = std::int64_t(bytes.size());
    const std::int64_t begin = std::clamp(from - offset, std::int64_t(0), size);
    const std::int64_t end = std::clamp(to - offset, begin, size);
    return bytes.substr(std::size_t(begin), std::size_t(end - begin));
}

// Feeds bytes at offset to scanner, block by block of the file; false once the text ended.
bool Feed(Scanner& scanner, std::string_view bytes, std::int64_t offset, std::int64_t start) {
    std::int64_t at = std::max(offset, start);
    const std::int64_t stop = offset + std::int64_t(bytes.size());
    while (at < stop && !scanner.cut()) {
        const std::int64_t blockEnd = (at / TextScan::kBlock + 1) * TextScan::kBlock;
        const std::int64_t n = std::min(blockEnd, stop) - at;
        scanner.feed(bytes.data() + (at - offset), n);
        at += n;
    }
    return !scanner.cut();
}

// A part of the file, [from, to), scanned and validated as UTF-8 on its own.
struct Part {
    TextScan scan;
    std::int64_t rowStart = 0;
    std::int64_t firstBreak = -1;
    bool wellFormed = true;
    bool highByte = false;
};

// Scans [from, to) (the text begins at start <= to) and validates [validFrom, validTo) unless
// validate is false: a text with a byte-order mark is UTF-8 whatever its bytes.
Part ScanPart(int fd, std::int64_t start, std::int64_t from, std::int64_t to, bool validate,
              std::int64_t validFrom, std::int64_t validTo, bool last) {
    bool afterCr = false;
    bool afterAscii = true;
    if (from > start) {
        char before = 0;
        ReadAt(fd, &before, 1, from - 1);
        afterCr = before == kCr;
        afterAscii = static_cast<unsigned char>(before) < 0x80;
    }
    Scanner scanner(std::max(from, start), afterCr, afterAscii);
    Utf8Validator validator;
    const std::int64_t reached =
        ReadRange(fd, std::min(from, validFrom), std::max(to, validTo),
                  [&](std::string_view bytes, std::int64_t offset) {
                      const bool more =
                          Feed(scanner, Within(bytes, offset, offset, to), offset, start);
                      if (validate && validator.validSoFar())
                          validator.feed(Within(bytes, offset, validFrom, validTo));
                      // Once the text ended, the rest of the file only decides the encoding.
                      return more || (validate && validator.validSoFar());
                  });
    Part part;
    part.rowStart = scanner.rowStart();
    part.firstBreak = scanner.firstBreak();
    const bool ended = last || scanner.cut() || reached < to;
    part.scan = ended ? scanner.finish() : scanner.part();
    part.wellFormed = !validate || validator.finish();
    part.highByte = validator.sawHighByte(); // known once the check ended
    return part;
}

// The second part continues the first, which the text did not end.
TextScan Joined(Part first, Part second) {
    TextScan scan = std::move(first.scan);
    const BlockCounts before = scan.total;
    for (const BlockCounts& counts : second.scan.blocks)
        scan.blocks.push_back({before.breaks + counts.breaks, before.lone + counts.lone,
                               before.chars + counts.chars});
    scan.total = {before.breaks + second.scan.total.breaks, before.lone + second.scan.total.lone,
                  before.chars + second.scan.total.chars};
    // The row across the cut is measured whole; each part measured only its own piece of it.
    const std::int64_t across =
        (second.firstBreak >= 0 ? second.firstBreak : second.scan.end) - first.rowStart;
    scan.longest = std::max({scan.longest, second.scan.longest, across});
    scan.end = second.scan.end;
    scan.cutAtNul = second.scan.cutAtNul;
    return scan;
}

} // namespace

namespace {

// The file scanned in two halves at once, cut at a block's start; the UTF-8 check of the first
// half goes on to the first character of the second.
TextScan ScanInHalves(int fd, std::int64_t size, std::int64_t start, bool marked,
                      std::int64_t cut) {
    const bool validate = !marked;
    std::int64_t joint = cut; // the second half's first character
    char after[4] = {};
    const std::size_t afterLength = ReadAt(fd, after, sizeof after, cut);
    while (joint - cut < std::int64_t(afterLength) &&
           IsContinuationByte(static_cast<unsigned char>(after[joint - cut])))
        ++joint;
    Part second;
    std::exception_ptr failed;
    std::jthread worker([&]() noexcept {
        try {
            second = ScanPart(fd, start, cut, size, validate, joint, size, true);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    Part first = ScanPart(fd, start, 0, cut, validate, start, joint, false);
    worker.join();
    if (failed)
        std::rethrow_exception(failed);
    const bool wellFormed = first.wellFormed && second.wellFormed;
    const bool highByte = first.highByte || second.highByte;
    if (first.scan.cutAtNul || first.scan.end < cut) // the text ended in the first half
        return Finished(std::move(first.scan), marked, wellFormed, highByte);
    return Finished(Joined(std::move(first), std::move(second)), marked, wellFormed, highByte);
}

} // namespace

TextScan ScanText(int fd, std::int64_t size, std::int64_t twoPartSize) {
    char head[3] = {};
    const std::size_t headLength = ReadAt(fd, head, sizeof head, 0);
    const bool marked = std::string_view(head, headLength) == kByteOrderMark;
    const std::int64_t start = marked ? std::int64_t(kByteOrderMark.size()) : 0;
    const std::int64_t cut = size >= twoPartSize && std::thread::hardware_concurrency() > 1
                                 ? size / 2 / TextScan::kBlock * TextScan::kBlock
                                 : 0;
    if (cut > 0)
        return ScanInHalves(fd, size, start, marked, cut);
    Part whole = ScanPart(fd, start, 0, size, !marked, start, size, true);
    return Finished(std::move(whole.scan), marked, whole.wellFormed, whole.highByte);
}
