// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/row_index.h"

#include "text/simd.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr int kChunk = 32;

// Where the row after the one that begins at start begins, or -1 when that row is the last.
std::int64_t NextRowStart(std::string_view text, std::int64_t start) {
    const char* first = text.data();
    const char* end = first + text.size();
    for (const char* p = first + start + 1; p < end;) {
        const auto* lf = static_cast<const char*>(std::memchr(p, kLf, std::size_t(end - p)));
        if (!lf)
            return -1;
        if (lf[-1] == kCr)
            return lf + 1 - first;
        p = lf + 1;
    }
    return -1;
}

#if TROUVE_HAVE_AVX2_PATH
// Hands each 32 bytes from p on to found as a mask of the LF bytes that end a CR LF pair, with
// their number; returns where it stopped (fewer than 32 bytes before n). p >= 1.
template <class Found>
TROUVE_AVX2 std::int64_t ScanPairs(const char* data, std::int64_t p, std::int64_t n,
                                   Found&& found) {
    const __m256i cr = _mm256_set1_epi8(kCr);
    const __m256i lf = _mm256_set1_epi8(kLf);
    for (; n - p >= kChunk; p += kChunk) {
        const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
        const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p - 1));
        const auto pairs = std::uint32_t(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(here, lf), _mm256_cmpeq_epi8(before, cr))));
        if (pairs != 0)
            found(pairs, p, __builtin_popcount(pairs));
    }
    return p;
}
#endif

} // namespace

void RowIndex::clear() {
    FKept.assign(1, 0);
    FRows = 1;
    FLastStart = 0;
    FLongest = 0;
    FCursorRow = 0;
    FCursorStart = 0;
}

void RowIndex::extend(std::string_view text, std::size_t from) {
    const char* data = text.data();
    const auto n = std::int64_t(text.size());
    // Room first for every row start it may keep (a row takes at least its CR LF), so that an
    // allocation failure leaves the index as it was.
    const auto most = std::size_t((n - std::int64_t(from) + 1) / 2 / kStride + 2);
    if (FKept.capacity() - FKept.size() < most)
        FKept.reserve(std::max(FKept.size() + most, 2 * FKept.capacity()));
    std::int64_t p = std::max<std::int64_t>(std::int64_t(from), 1); // a pair needs a CR before
#if TROUVE_HAVE_AVX2_PATH
    if (HasAvx2())
        p = ScanPairs(data, p, n, [this](std::uint32_t pairs, std::int64_t base, int count) {
            addBreaks(pairs, base, count);
        });
#endif
    for (; p < n; ++p)
        if (data[p] == kLf && data[p - 1] == kCr)
            addBreak(p);
}

// The LF bytes of 32 bytes from base (found of them): each ends a row and begins the next.
void RowIndex::addBreaks(std::uint32_t breaks, std::int64_t base, int found) {
    // Only the row that the first break ends may have begun before these bytes; the others are
    // shorter than them and count only while no row of that length is known.
    if (FLongest < kChunk) {
        for (; breaks != 0; breaks &= breaks - 1)
            addBreak(base + std::countr_zero(breaks));
        return;
    }
    FLongest = std::max(FLongest, base + std::countr_zero(breaks) - 1 - FLastStart);
    const std::int64_t toKeep = (kStride - FRows % kStride) % kStride + 1; // 1-based break
    if (toKeep <= found) {
        std::uint32_t rest = breaks;
        for (std::int64_t i = 1; i < toKeep; ++i)
            rest &= rest - 1;
        FKept.push_back(base + std::countr_zero(rest) + 1);
    }
    FRows += found;
    FLastStart = base + (kChunk - 1 - std::countl_zero(breaks)) + 1;
}

void RowIndex::addBreak(std::int64_t lf) {
    if (FRows % kStride == 0)
        FKept.push_back(lf + 1);
    FLongest = std::max(FLongest, lf - 1 - FLastStart);
    FLastStart = lf + 1;
    ++FRows;
}

std::int64_t RowIndex::longest(std::int64_t size) const noexcept {
    return std::max(FLongest, size - FLastStart);
}

std::int64_t RowIndex::start(std::string_view text, std::int64_t row) const {
    std::int64_t at = FKept[std::size_t(row / kStride)];
    std::int64_t r = row / kStride * kStride;
    if (FCursorRow > r && FCursorRow <= row) {
        r = FCursorRow;
        at = FCursorStart;
    }
    for (; r < row; ++r) {
        const std::int64_t next = NextRowStart(text, at);
        if (next < 0)
            return std::int64_t(text.size()); // not reached for an indexed row
        at = next;
    }
    keep(row, at);
    return at;
}

std::int64_t RowIndex::rowOf(std::string_view text, std::int64_t offset) const {
    const auto after = std::upper_bound(FKept.begin(), FKept.end(), offset);
    const auto k = std::int64_t(after - FKept.begin()) - 1;
    std::int64_t r = k * kStride;
    std::int64_t at = FKept[std::size_t(k)];
    if (FCursorRow > r && FCursorStart <= offset) {
        r = FCursorRow;
        at = FCursorStart;
    }
    for (; r + 1 < FRows; ++r) {
        const std::int64_t next = NextRowStart(text, at);
        if (next < 0 || next > offset)
            break;
        at = next;
    }
    keep(r, at);
    return r;
}

void RowIndex::keep(std::int64_t row, std::int64_t start) const {
    FCursorRow = row;
    FCursorStart = start;
}
