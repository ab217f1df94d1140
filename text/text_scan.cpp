// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_scan.h"

#include "text/aligned_buffer.h"
#include "text/byte_source.h"
#include "text/simd.h"
#include "text/utf8.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr int kChunk = 64;

// Bit i of each mask tells byte i of a chunk of 64.
struct Masks {
    std::uint64_t cr = 0;
    std::uint64_t lf = 0;
    std::uint64_t nul = 0;
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
        m.nul |= b == 0 ? bit : 0;
        m.continuation |= IsContinuationByte(b) ? bit : 0;
        m.high |= b >= 0x80 ? bit : 0;
    }
    return m;
}

#if TROUVE_HAVE_AVX2_PATH
TROUVE_AVX2 std::uint64_t Mask64(__m256i low, __m256i high) {
    return std::uint64_t(std::uint32_t(_mm256_movemask_epi8(low))) |
           std::uint64_t(std::uint32_t(_mm256_movemask_epi8(high))) << 32;
}

TROUVE_AVX2 Masks ClassifyAvx2(const char* p) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    const __m256i zero = _mm256_setzero_si256();
    // Continuation bytes, 0x80 to 0xBF, are the signed bytes below -64.
    const __m256i lead = _mm256_set1_epi8(-64);
    return {Mask64(_mm256_cmpeq_epi8(low, cr), _mm256_cmpeq_epi8(high, cr)),
            Mask64(_mm256_cmpeq_epi8(low, lf), _mm256_cmpeq_epi8(high, lf)),
            Mask64(_mm256_cmpeq_epi8(low, zero), _mm256_cmpeq_epi8(high, zero)),
            Mask64(_mm256_cmpgt_epi8(lead, low), _mm256_cmpgt_epi8(lead, high)), Mask64(low, high)};
}
#endif

// Counts a text handed over in order, block by block.
class Scanner {
public:
    explicit Scanner(std::int64_t start) : FPos(start), FRowStart(start) { FScan.start = start; }

    bool cut() const noexcept { return FScan.cutAtNul; }

    // Bytes p[0, n) at the scanner's position, which stays inside one 64 KiB block of the file.
    void feed(const char* p, std::int64_t n) {
        if (FPos % TextScan::kBlock == 0 || FScan.blocks.empty())
            noteBlock(p[0]);
        const bool vector = HasVector();
        std::int64_t i = 0;
        for (; i + kChunk <= n && !cut(); i += kChunk)
            step(vector ? Classify(p + i) : ClassifyScalar(p + i, kChunk), kChunk);
        if (i < n && !cut())
            step(ClassifyScalar(p + i, int(n - i)), int(n - i));
    }

    TextScan finish(TextEncoding encoding) {
        if (FCarryCr)
            ++FScan.total.lone; // a CR at the end of the text is lone
        FScan.end = FPos;
        FScan.longest = std::max(FLongest, FPos - FRowStart);
        FScan.encoding = encoding;
        return std::move(FScan);
    }

private:
    static bool HasVector() {
#if TROUVE_HAVE_AVX2_PATH
        return HasAvx2();
#else
        return false;
#endif
    }
    static Masks Classify(const char* p) {
#if TROUVE_HAVE_AVX2_PATH
        return ClassifyAvx2(p);
#else
        return ClassifyScalar(p, kChunk);
#endif
    }

    // The counts before the block that begins here; first is its first byte.
    void noteBlock(char first) {
        // Block 0 counts from the file's start, before any byte-order mark.
        while (std::int64_t(FScan.blocks.size()) < FPos / TextScan::kBlock)
            FScan.blocks.push_back(FScan.total);
        BlockCounts before = FScan.total;
        if (FCarryCr && first != kLf)
            ++before.lone;
        FScan.blocks.push_back(before);
    }

    void step(Masks m, int n) {
        if (m.nul != 0) {
            n = std::min(n, std::countr_zero(m.nul));
            FScan.cutAtNul = true;
        }
        const std::uint64_t valid = n == kChunk ? ~std::uint64_t(0) : (std::uint64_t(1) << n) - 1;
        const std::uint64_t cr = m.cr & valid;
        const std::uint64_t lf = m.lf & valid;
        const std::uint64_t pairLf = lf & ((cr << 1) | std::uint64_t(FCarryCr));
        const std::uint64_t loneLf = lf & ~pairLf;
        BlockCounts& total = FScan.total;
        total.breaks += std::popcount(cr) + std::popcount(loneLf);
        if (FCarryCr && (lf & 1) == 0)
            ++total.lone; // the CR that ended the chunk before
        FCarryCr = false;
        if (n > 0) {
            const std::uint64_t last = std::uint64_t(1) << (n - 1);
            total.lone += std::popcount(cr & ~last & ~(lf >> 1)) + std::popcount(loneLf);
            FCarryCr = (cr & last) != 0;
        }
        // A character begins at a byte that continues none, or after an ASCII byte.
        const std::uint64_t afterAscii = (~m.high << 1) | std::uint64_t(FCarryAscii);
        total.chars += std::popcount((~m.continuation | afterAscii) & valid);
        if (n > 0)
            FCarryAscii = (m.high >> (n - 1) & 1) == 0;
        rows(cr | lf);
        FPos += n;
    }

    // Break bytes of the chunk: the rows between them are measured while no row is known to be
    // longer than a chunk, after that only the row that ends here.
    void rows(std::uint64_t breaks) {
        if (breaks == 0)
            return;
        if (FLongest >= kChunk) {
            FLongest = std::max(FLongest, FPos + std::countr_zero(breaks) - FRowStart);
            FRowStart = FPos + (kChunk - std::countl_zero(breaks));
            return;
        }
        for (; breaks != 0; breaks &= breaks - 1) {
            const std::int64_t at = FPos + std::countr_zero(breaks);
            FLongest = std::max(FLongest, at - FRowStart);
            FRowStart = at + 1;
        }
    }

    TextScan FScan;
    std::int64_t FPos;
    bool FCarryCr = false;
    bool FCarryAscii = true; // the byte before is ASCII, or the text begins here
    std::int64_t FRowStart;
    std::int64_t FLongest = 0;
};

} // namespace

TextScan ScanText(int fd, std::int64_t size) {
    ByteSource source(fd, 0);
    const std::size_t block = source.blockSize();
    AlignedBuffer buffer(block);
    char* const in = buffer.data();
    EncodingDetector detector;
    std::int64_t read = 0; // bytes of the file read
    // The first read decides the text's start: it is filled whole, so that a mark is told.
    const auto first = std::size_t(std::min<std::int64_t>(std::int64_t(block), size));
    std::size_t got = 0;
    while (got < first) {
        const std::size_t n = source.read(in + got, first - got).count;
        if (n == 0)
            break;
        got += n;
    }
    detector.feed({in, got});
    const std::int64_t start =
        detector.hasByteOrderMark() ? std::int64_t(kByteOrderMark.size()) : 0;
    Scanner scanner(start);
    for (std::int64_t at = start; got > 0;) {
        // The bytes [read, read + got) are in; feed them block by block of the file.
        for (const std::int64_t stop = read + std::int64_t(got); at < stop && !scanner.cut();) {
            const std::int64_t blockEnd = (at / TextScan::kBlock + 1) * TextScan::kBlock;
            const std::int64_t n = std::min(blockEnd, stop) - at;
            scanner.feed(in + (at - read), n);
            at += n;
        }
        read += std::int64_t(got);
        if (scanner.cut() && detector.decided())
            break; // the rest of the file changes nothing
        const auto want = std::size_t(std::min<std::int64_t>(std::int64_t(block), size - read));
        got = want == 0 ? 0 : source.read(in, want).count;
        detector.feed({in, got});
    }
    return scanner.finish(detector.finish());
}
