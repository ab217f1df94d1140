// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/utf8.h"

#include "text/simd.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr bool IsAsciiByte(unsigned char b) {
    return b < 0x80;
}

unsigned char ByteAt(const char* p) {
    return static_cast<unsigned char>(*p);
}

// What a lead byte asks of the bytes after it: how many continuation bytes, and the range of the
// first one (the others are 0x80-0xBF). need < 0 for a byte that begins no well-formed sequence.
struct LeadRule {
    int need;
    unsigned char low;
    unsigned char high;
};

constexpr LeadRule RuleOf(unsigned char b) {
    if (b < 0x80)
        return {0, 0x80, 0xBF};
    if (b >= 0xC2 && b <= 0xDF)
        return {1, 0x80, 0xBF};
    if (b == 0xE0)
        return {2, 0xA0, 0xBF}; // no overlong form
    if (b == 0xED)
        return {2, 0x80, 0x9F}; // no surrogate
    if (b >= 0xE1 && b <= 0xEF)
        return {2, 0x80, 0xBF};
    if (b == 0xF0)
        return {3, 0x90, 0xBF}; // no overlong form
    if (b >= 0xF1 && b <= 0xF3)
        return {3, 0x80, 0xBF};
    if (b == 0xF4)
        return {3, 0x80, 0x8F}; // nothing above U+10FFFF
    return {-1, 0, 0};
}

// A character begins at p (p > start of the text): p is no continuation byte, or follows ASCII.
bool StartsAt(const char* p) {
    return !IsContinuationByte(ByteAt(p)) || IsAsciiByte(ByteAt(p - 1));
}

#if TROUVE_HAVE_AVX2_PATH
// The bytes of p..p+31 that begin no character, as a bit mask (p - 1 is readable).
TROUVE_AVX2 unsigned NonStartMask(const char* p) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p - 1));
    const __m256i continuation = _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), bytes);
    const __m256i afterAscii = _mm256_cmpgt_epi8(before, _mm256_set1_epi8(-1));
    return unsigned(_mm256_movemask_epi8(_mm256_andnot_si256(afterAscii, continuation)));
}

TROUVE_AVX2 std::int64_t CountStartsAvx2(const char*& p, const char* end) {
    std::int64_t count = 0;
    for (; end - p >= 32; p += 32)
        count += 32 - __builtin_popcount(NonStartMask(p));
    return count;
}

TROUVE_AVX2 const char* AdvanceAvx2(const char*& p, const char* end, std::int64_t& count) {
    for (; end - p >= 32; p += 32) {
        unsigned starts = ~NonStartMask(p);
        const int here = __builtin_popcount(starts);
        if (here < count) {
            count -= here;
            continue;
        }
        for (; count > 1; --count)
            starts &= starts - 1;
        return p + __builtin_ctz(starts);
    }
    return nullptr;
}
#endif

} // namespace

bool IsCharStart(std::string_view text, std::size_t i) noexcept {
    return i == 0 || i >= text.size() || StartsAt(text.data() + i);
}

std::size_t NextCharStart(std::string_view text, std::size_t i) noexcept {
    if (IsAsciiByte(static_cast<unsigned char>(text[i])))
        return i + 1;
    ++i;
    while (i < text.size() && IsContinuationByte(static_cast<unsigned char>(text[i])))
        ++i;
    return i;
}

std::size_t PreviousCharStart(std::string_view text, std::size_t i) noexcept {
    --i;
    if (IsAsciiByte(static_cast<unsigned char>(text[i])))
        return i;
    while (i > 0 && !StartsAt(text.data() + i))
        --i;
    return i;
}

DecodedChar DecodeChar(std::string_view text, std::size_t i) noexcept {
    const std::size_t length = NextCharStart(text, i) - i;
    const auto lead = static_cast<unsigned char>(text[i]);
    const LeadRule rule = RuleOf(lead);
    const DecodedChar malformed{kReplacementCharacter, length, false};
    if (rule.need < 0 || std::size_t(rule.need) + 1 != length)
        return malformed;
    if (rule.need == 0)
        return {lead, 1, true};
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < rule.low || second > rule.high)
        return malformed;
    char32_t code = lead & (0x3F >> rule.need);
    for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return {code, length, true};
}

std::int64_t CountChars(const char* begin, const char* end) noexcept {
    if (begin >= end)
        return 0;
    std::int64_t count = 1;
    const char* p = begin + 1;
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        count += CountStartsAvx2(p, end);
#endif
    for (; p < end; ++p)
        count += StartsAt(p);
    return count;
}

const char* AdvanceChars(const char* begin, const char* end, std::int64_t count) noexcept {
    if (count <= 0 || begin >= end)
        return begin;
    const char* p = begin + 1;
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        if (const char* found = AdvanceAvx2(p, end, count))
            return found;
#endif
    for (; p < end; ++p)
        if (StartsAt(p) && --count == 0)
            return p;
    return end;
}

// ---- validation

void Utf8Validator::feedScalar(std::string_view piece) noexcept {
    for (const char c : piece) {
        const auto b = static_cast<unsigned char>(c);
        FHighByte = FHighByte || b >= 0x80;
        if (FNeed > 0) {
            if (b < FLow || b > FHigh) {
                FInvalid = true;
                return;
            }
            --FNeed;
            FLow = 0x80;
            FHigh = 0xBF;
            continue;
        }
        const LeadRule rule = RuleOf(b);
        if (rule.need < 0) {
            FInvalid = true;
            return;
        }
        FNeed = rule.need;
        FLow = rule.low;
        FHigh = rule.high;
    }
}

#if TROUVE_HAVE_AVX2_PATH
namespace {

// The vector check of 32 bytes at a time: each byte is tested against the one, two and three
// bytes before it through three nibble lookups (a sequence of two bytes that no well-formed text
// holds sets a common bit), and a continuation byte after a continuation byte must be the third
// or fourth byte of a sequence.
constexpr std::uint8_t kTooShort = 1 << 0;  // a lead byte not followed by a continuation byte
constexpr std::uint8_t kTooLong = 1 << 1;   // a continuation byte after ASCII
constexpr std::uint8_t kOverlong3 = 1 << 2; // E0 80..9F
constexpr std::uint8_t kTooLarge = 1 << 3;  // F4 90..BF, F5..FF
constexpr std::uint8_t kSurrogate = 1 << 4; // ED A0..BF
constexpr std::uint8_t kOverlong2 = 1 << 5; // C0, C1
constexpr std::uint8_t kTooLarge1000 = 1 << 6;
constexpr std::uint8_t kOverlong4 = 1 << 6; // F0 80..8F
constexpr std::uint8_t kTwoConts = 1 << 7;  // a continuation byte after a continuation byte
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

[[gnu::always_inline]] inline TROUVE_AVX2 __m256i Table(const std::uint8_t (&t)[16]) {
    const __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
    return _mm256_broadcastsi128_si256(half);
}

constexpr std::uint8_t kByte1High[16] = {
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTooLong,
    kTwoConts,
    kTwoConts,
    kTwoConts,
    kTwoConts,
    kTooShort | kOverlong2,
    kTooShort,
    kTooShort | kOverlong3 | kSurrogate,
    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4,
};

constexpr std::uint8_t kByte1Low[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4,
    kCarry | kOverlong2,
    kCarry,
    kCarry,
    kCarry | kTooLarge,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
    kCarry | kTooLarge | kTooLarge1000,
    kCarry | kTooLarge | kTooLarge1000,
};

constexpr std::uint8_t kByte2High[16] = {
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooShort,
    kTooShort,
    kTooShort,
    kTooShort,
};

// The bytes of input with the last n bytes of previous shifted in front.
template <int N>
[[gnu::always_inline]] inline TROUVE_AVX2 __m256i Before(__m256i input, __m256i previous) {
    return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

[[gnu::always_inline]] inline TROUVE_AVX2 __m256i HighNibbles(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

[[gnu::always_inline]] inline TROUVE_AVX2 __m256i CheckBlock(__m256i input, __m256i previous) {
    const __m256i before1 = Before<1>(input, previous);
    const __m256i special = _mm256_and_si256(
        _mm256_and_si256(_mm256_shuffle_epi8(Table(kByte1High), HighNibbles(before1)),
                         _mm256_shuffle_epi8(Table(kByte1Low),
                                             _mm256_and_si256(before1, _mm256_set1_epi8(0x0F)))),
        _mm256_shuffle_epi8(Table(kByte2High), HighNibbles(input)));
    const __m256i third = _mm256_subs_epu8(Before<2>(input, previous), _mm256_set1_epi8(0x60));
    const __m256i fourth = _mm256_subs_epu8(Before<3>(input, previous), _mm256_set1_epi8(0x70));
    const __m256i expected =
        _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
    return _mm256_xor_si256(expected, special);
}

// Non-zero when the last bytes of v begin a sequence that needs bytes of the next block.
[[gnu::always_inline]] inline TROUVE_AVX2 bool EndsIncomplete(__m256i v) {
    const __m256i limits = _mm256_setr_epi8(
        char(255), char(255), char(255), char(255), char(255), char(255), char(255), char(255),
        char(255), char(255), char(255), char(255), char(255), char(255), char(255), char(255),
        char(255), char(255), char(255), char(255), char(255), char(255), char(255), char(255),
        char(255), char(255), char(255), char(255), char(255), char(0xF0 - 1), char(0xE0 - 1),
        char(0xC0 - 1));
    return !_mm256_testz_si256(_mm256_subs_epu8(v, limits), _mm256_subs_epu8(v, limits));
}

// Checks 32-byte blocks from p; returns false at the first ill-formed one. Four blocks at a time
// are skipped when all ASCII: a text with accents has some in nearly every 128 bytes and an
// ASCII log in none, so the test is foreseeable either way, where one per block would not be.
TROUVE_AVX2 bool CheckBlocks(const unsigned char* p, std::size_t blocks, unsigned char* previous,
                             bool& incomplete, bool& highByte) {
    __m256i before = _mm256_load_si256(reinterpret_cast<const __m256i*>(previous));
    __m256i errors = _mm256_setzero_si256();
    bool pending = incomplete;
    std::size_t i = 0;
    for (; i + 4 <= blocks; i += 4, p += 128) {
        const __m256i in0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i in1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        const __m256i in2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 64));
        const __m256i in3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 96));
        const __m256i any = _mm256_or_si256(_mm256_or_si256(in0, in1), _mm256_or_si256(in2, in3));
        if (_mm256_movemask_epi8(any) == 0) {
            if (pending)
                return false;
        } else {
            highByte = true;
            errors = _mm256_or_si256(errors, CheckBlock(in0, before));
            errors = _mm256_or_si256(errors, CheckBlock(in1, in0));
            errors = _mm256_or_si256(errors, CheckBlock(in2, in1));
            errors = _mm256_or_si256(errors, CheckBlock(in3, in2));
            pending = EndsIncomplete(in3);
        }
        before = in3;
    }
    for (; i < blocks; ++i, p += 32) {
        const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        if (_mm256_movemask_epi8(input) == 0) {
            if (pending)
                return false;
        } else {
            highByte = true;
            errors = _mm256_or_si256(errors, CheckBlock(input, before));
            pending = EndsIncomplete(input);
        }
        before = input;
    }
    _mm256_store_si256(reinterpret_cast<__m256i*>(previous), before);
    incomplete = pending;
    return _mm256_testz_si256(errors, errors);
}

} // namespace

void Utf8Validator::feedVector(std::string_view piece) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    std::size_t n = piece.size();
    if (FPendingLength > 0) {
        const std::size_t take = std::min(n, 32 - FPendingLength);
        if (take > 0)
            std::memcpy(FPending + FPendingLength, p, take);
        FPendingLength += take;
        p += take;
        n -= take;
        if (FPendingLength < 32)
            return;
        FPendingLength = 0;
        if (!CheckBlocks(FPending, 1, FPrevious, FPreviousIncomplete, FHighByte)) {
            FInvalid = true;
            return;
        }
    }
    if (!CheckBlocks(p, n / 32, FPrevious, FPreviousIncomplete, FHighByte)) {
        FInvalid = true;
        return;
    }
    FPendingLength = n % 32;
    if (FPendingLength > 0)
        std::memcpy(FPending, p + n / 32 * 32, FPendingLength);
}
#else
void Utf8Validator::feedVector(std::string_view piece) noexcept {
    feedScalar(piece);
}
#endif

void Utf8Validator::feed(std::string_view piece) noexcept {
    if (FInvalid)
        return;
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        return feedVector(piece);
#endif
    feedScalar(piece);
}

bool Utf8Validator::finish() noexcept {
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2() && !FInvalid) {
        // The last bytes, padded with NUL: ASCII, which ends any sequence still open.
        std::memset(FPending + FPendingLength, 0, 32 - FPendingLength);
        FPendingLength = 32;
        feedVector({});
        FPendingLength = 0;
        return !FInvalid;
    }
#endif
    FInvalid = FInvalid || FNeed > 0;
    FNeed = 0;
    return !FInvalid;
}
