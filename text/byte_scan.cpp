// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/byte_scan.h"

#include "text/simd.h"

#include <cstring>

namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kEndOfFileMark = 26;

// The first LF, CR or mark in [p, end); a search for breaks alone passes CR as the mark.
const char* FindControlScalar(const char* p, const char* end, char mark) {
    for (; p != end; ++p)
        if (*p == kLf || *p == kCr || *p == mark)
            return p;
    return end;
}

size_t CountByteScalar(const char* p, const char* end, char c) {
    size_t count = 0;
    for (; p != end; ++p)
        count += *p == c;
    return count;
}

const char* FindLoneCrScalar(const char* p, const char* end) {
    for (; p != end; ++p)
        if (*p == kCr && (p + 1 == end || p[1] != kLf))
            return p;
    return end;
}

#if TROUVE_HAVE_AVX2_PATH
TROUVE_AVX2 size_t CountByteAvx2(const char* p, const char* end, char c) {
    const __m256i needle = _mm256_set1_epi8(c);
    size_t count = 0;
    // Byte counters of 0 to 255 per lane, summed every 255 rounds.
    while (end - p >= 32) {
        __m256i lanes = _mm256_setzero_si256();
        const char* stop = end - p >= 32 * 255 ? p + 32 * 255 : p + (end - p) / 32 * 32;
        for (; p != stop; p += 32) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
            lanes = _mm256_sub_epi8(lanes, _mm256_cmpeq_epi8(bytes, needle));
        }
        const __m256i sums = _mm256_sad_epu8(lanes, _mm256_setzero_si256());
        count += size_t(_mm256_extract_epi64(sums, 0)) + size_t(_mm256_extract_epi64(sums, 1)) +
                 size_t(_mm256_extract_epi64(sums, 2)) + size_t(_mm256_extract_epi64(sums, 3));
    }
    return count + CountByteScalar(p, end, c);
}

TROUVE_AVX2 const char* FindLoneCrAvx2(const char* p, const char* end) {
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    for (; end - p > 32; p += 32) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
        const __m256i lone =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(here, cr));
        const unsigned mask = unsigned(_mm256_movemask_epi8(lone));
        if (mask != 0)
            return p + __builtin_ctz(mask);
    }
    return FindLoneCrScalar(p, end);
}

TROUVE_AVX2 const char* FindControlAvx2(const char* p, const char* end, char third) {
    const __m256i lf = _mm256_set1_epi8(kLf);
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i mark = _mm256_set1_epi8(third);
    for (; end - p >= 32; p += 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i any = _mm256_or_si256(
            _mm256_or_si256(_mm256_cmpeq_epi8(bytes, lf), _mm256_cmpeq_epi8(bytes, cr)),
            _mm256_cmpeq_epi8(bytes, mark));
        const unsigned mask = unsigned(_mm256_movemask_epi8(any));
        if (mask != 0)
            return p + __builtin_ctz(mask);
    }
    return FindControlScalar(p, end, third);
}
#endif

} // namespace

#if TROUVE_HAVE_AVX2_PATH
namespace {
bool DetectAvx2() {
    __builtin_cpu_init(); // static initialisers may run before the library's own
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("popcnt");
}
const bool kAvx2 = DetectAvx2();
} // namespace

bool HasAvx2() {
    return kAvx2;
}
#else
bool HasAvx2() {
    return false;
}
#endif

size_t CountByte(const char* begin, const char* end, char c) {
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return CountByteAvx2(begin, end, c);
#endif
    return CountByteScalar(begin, end, c);
}

const char* FindLoneCr(const char* begin, const char* end) {
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return FindLoneCrAvx2(begin, end);
#endif
    return FindLoneCrScalar(begin, end);
}

const char* FindLineControl(const char* begin, const char* end) {
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return FindControlAvx2(begin, end, kEndOfFileMark);
#endif
    return FindControlScalar(begin, end, kEndOfFileMark);
}

const char* FindBreakByte(const char* begin, const char* end) {
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return FindControlAvx2(begin, end, kCr);
#endif
    return FindControlScalar(begin, end, kCr);
}

const char* FindLastByte(const char* begin, const char* end, char c) {
    return static_cast<const char*>(memrchr(begin, c, size_t(end - begin)));
}
