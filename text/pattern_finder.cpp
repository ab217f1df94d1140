#include "text/pattern_finder.h"

#include "text/simd.h"

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

#if TROUVE_HAVE_AVX2_PATH
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
