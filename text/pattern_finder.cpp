// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/pattern_finder.h"

#include "text/byte_scan.h"
#include "text/simd.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes of French text from the most to the least frequent; any byte not listed is rarer still.
constexpr std::string_view kByFrequency =
    " esaitnrulodcpm\xE9vqfbghj.,\r\n\x27\xE0xLyDEPCASMI\xE8zTNRUVQFBOGHJ\xEA\xE7\xF4\xF9\xE2\xFB"
    "\xEE\x9C\xEB\xEFkwK-;:!?\xAB\xBB\xC9\xC0\x85\xFCWXYZ0123456789";

struct ByteRanks {
    unsigned char rank[256] = {}; // 0 for the rarest, larger for more frequent
    constexpr ByteRanks() {
        for (size_t i = 0; i < kByFrequency.size(); ++i)
            rank[static_cast<unsigned char>(kByFrequency[i])] = static_cast<unsigned char>(255 - i);
    }
};

constexpr ByteRanks kRanks{};

unsigned Rank(char c) {
    return kRanks.rank[static_cast<unsigned char>(c)];
}

// A pattern of two bytes or more and the offsets of its two rarest bytes.
struct Needle {
    std::string_view bytes;
    size_t rare1;
    size_t rare2;
};

const char* FindScalar(const Needle& needle, const char* from, const char* end) {
    const size_t n = needle.bytes.size();
    const char rare = needle.bytes[needle.rare1];
    const char* last = end - n; // the last place an occurrence can begin
    for (const char* p = from; p <= last; ++p) {
        const void* hit = std::memchr(p + needle.rare1, rare, size_t(last - p) + 1);
        if (!hit)
            return end;
        p = static_cast<const char*>(hit) - needle.rare1;
        if (std::memcmp(p, needle.bytes.data(), n) == 0)
            return p;
    }
    return end;
}

constexpr char kCr = '\r';
constexpr char kLf = '\n';

// What findStop does, a byte at a time from p, with lineFeeds counted so far.
PatternFinder::Stop FindStopScalar(const Needle& needle, const char* p, const char* end,
                                   size_t lineFeeds) {
    const size_t n = needle.bytes.size();
    for (; p < end; ++p) {
        if (*p == kCr && (p + 1 == end || p[1] != kLf))
            return {p, lineFeeds};
        if (size_t(end - p) >= n && std::memcmp(p, needle.bytes.data(), n) == 0)
            return {p, lineFeeds};
        lineFeeds += *p == kLf;
    }
    return {end, lineFeeds};
}

#if TROUVE_HAVE_AVX2_PATH
// The sum of the 32 byte counters of counts.
TROUVE_AVX2 size_t SumCounters(__m256i counts) {
    const __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());
    return size_t(_mm256_extract_epi64(sums, 0)) + size_t(_mm256_extract_epi64(sums, 1)) +
           size_t(_mm256_extract_epi64(sums, 2)) + size_t(_mm256_extract_epi64(sums, 3));
}

// 32 places at a time: the LF bytes are counted in byte counters (summed every 255 rounds), and
// the places where a lone CR stands or the two rarest bytes of the pattern stand at their
// offsets stop the scan, a candidate once its whole pattern compares equal.
TROUVE_AVX2 PatternFinder::Stop FindStopAvx2(const Needle& needle, const char* p, const char* end) {
    const size_t n = needle.bytes.size();
    const char* pattern = needle.bytes.data();
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    const __m256i rare1 = _mm256_set1_epi8(pattern[needle.rare1]);
    const __m256i rare2 = _mm256_set1_epi8(pattern[needle.rare2]);
    const std::ptrdiff_t reach = std::ptrdiff_t(std::max<size_t>(n, 2)) + 31;
    size_t lineFeeds = 0;
    __m256i counts = _mm256_setzero_si256();
    int rounds = 0;
    for (; end - p > reach; p += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
        const __m256i at1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + needle.rare1));
        const __m256i at2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + needle.rare2));
        const __m256i feeds = _mm256_cmpeq_epi8(here, lf);
        const __m256i lone =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(here, cr));
        const __m256i candidates =
            _mm256_and_si256(_mm256_cmpeq_epi8(at1, rare1), _mm256_cmpeq_epi8(at2, rare2));
        const auto stops = unsigned(_mm256_movemask_epi8(_mm256_or_si256(lone, candidates)));
        if (stops != 0) {
            const auto loneBits = unsigned(_mm256_movemask_epi8(lone));
            for (unsigned left = stops; left != 0; left &= left - 1) {
                const unsigned i = unsigned(__builtin_ctz(left));
                // A candidate of one or two bytes is whole already: its bytes are the rare ones.
                if ((loneBits >> i & 1) == 0 && n > 2 && std::memcmp(p + i, pattern, n) != 0)
                    continue;
                const auto feedBits = unsigned(_mm256_movemask_epi8(feeds));
                return {p + i, lineFeeds + SumCounters(counts) +
                                   unsigned(__builtin_popcount(feedBits & ((1u << i) - 1)))};
            }
        }
        counts = _mm256_sub_epi8(counts, feeds);
        if (++rounds == 255) {
            lineFeeds += SumCounters(counts);
            counts = _mm256_setzero_si256();
            rounds = 0;
        }
    }
    return FindStopScalar(needle, p, end, lineFeeds + SumCounters(counts));
}

TROUVE_AVX2 const char* FindAvx2(const Needle& needle, const char* from, const char* end) {
    const size_t n = needle.bytes.size();
    const char* pattern = needle.bytes.data();
    const __m256i rare1 = _mm256_set1_epi8(pattern[needle.rare1]);
    const __m256i rare2 = _mm256_set1_epi8(pattern[needle.rare2]);
    const char* p = from;
    // 32 candidate places at p..p+31; their occurrences end by p+31+n.
    for (; end - p >= static_cast<std::ptrdiff_t>(n + 31); p += 32) {
        const __m256i at1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + needle.rare1));
        const __m256i at2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + needle.rare2));
        unsigned mask = unsigned(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(at1, rare1), _mm256_cmpeq_epi8(at2, rare2))));
        while (mask != 0) {
            const char* candidate = p + __builtin_ctz(mask);
            if (std::memcmp(candidate, pattern, n) == 0)
                return candidate;
            mask &= mask - 1;
        }
    }
    return FindScalar(needle, p, end);
}
#endif

} // namespace

PatternFinder::PatternFinder(std::string_view pattern) : FPattern(pattern) {
    if (FPattern.size() < 2)
        return;
    FRare1 = 0;
    for (size_t i = 1; i < FPattern.size(); ++i)
        if (Rank(FPattern[i]) < Rank(FPattern[FRare1]))
            FRare1 = i;
    FRare2 = FRare1 == 0 ? 1 : 0;
    for (size_t i = 0; i < FPattern.size(); ++i)
        if (i != FRare1 && Rank(FPattern[i]) < Rank(FPattern[FRare2]))
            FRare2 = i;
}

PatternFinder::Stop PatternFinder::findStop(const char* from, const char* end) const {
    const Needle needle{FPattern, FRare1, FRare2};
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2() && !FPattern.empty())
        return FindStopAvx2(needle, from, end);
#endif
    const char* cr = FindLoneCr(from, end);
    const char* hit = find(from, cr);
    const char* stop = hit != cr ? hit : cr;
    return {stop, CountByte(from, stop, kLf)};
}

const char* PatternFinder::find(const char* from, const char* end) const {
    const size_t n = FPattern.size();
    if (n == 0 || end - from < static_cast<std::ptrdiff_t>(n))
        return end;
    if (n == 1) {
        const void* hit = std::memchr(from, FPattern[0], size_t(end - from));
        return hit ? static_cast<const char*>(hit) : end;
    }
    const Needle needle{FPattern, FRare1, FRare2};
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return FindAvx2(needle, from, end);
#endif
    return FindScalar(needle, from, end);
}
