// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/break_converter.h"

#include "text/simd.h"

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

char* PutBreak(char* out) {
    out[0] = kCr;
    out[1] = kLf;
    return out + 2;
}

#if TROUVE_HAVE_AVX2_PATH
// Converts 32 bytes at a time from in + p while the byte after them is in the block (p + 32 < n),
// so that every CR's successor is known; returns where it stopped.
TROUVE_AVX2 std::size_t ConvertAvx2(const char* in, std::size_t p, std::size_t n, char*& out) {
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    for (; p + 32 < n; p += 32) {
        const char* at = in + p;
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 1));
        const __m256i loneCr =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(here, cr));
        const __m256i loneLf =
            _mm256_andnot_si256(_mm256_cmpeq_epi8(before, cr), _mm256_cmpeq_epi8(here, lf));
        auto lone = unsigned(_mm256_movemask_epi8(_mm256_or_si256(loneCr, loneLf)));
        // Each lone break is written as CR LF; the bytes between are copied 32 at a time, the
        // surplus of each copy overwritten by what follows.
        unsigned from = 0;
        for (; lone != 0; lone &= lone - 1) {
            const unsigned at_break = unsigned(__builtin_ctz(lone));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + from)));
            out = PutBreak(out + (at_break - from));
            from = at_break + 1;
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + from)));
        out += 32 - from;
    }
    return p;
}
#endif

} // namespace

char* BreakConverter::convert(const char* in, std::size_t n, char* out) noexcept {
    if (n == 0)
        return out;
    std::size_t p = 0;
    if (FPendingCr) {
        FPendingCr = false;
        out = PutBreak(out);
        p = in[0] == kLf ? 1 : 0; // that LF completes the pair
    }
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        p = ConvertAvx2(in, p, n, out);
#endif
    for (; p < n; ++p) {
        const char c = in[p];
        if (c == kCr && p + 1 == n) {
            FPendingCr = true;
        } else if (c == kCr) {
            out = in[p + 1] == kLf ? (*out = kCr, out + 1) : PutBreak(out);
        } else if (c == kLf) {
            out = p > 0 && in[p - 1] == kCr ? (*out = kLf, out + 1) : PutBreak(out);
        } else {
            *out++ = c;
        }
    }
    return out;
}

char* BreakConverter::finish(char* out) noexcept {
    if (!FPendingCr)
        return out;
    FPendingCr = false;
    return PutBreak(out);
}
