// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/paged_text.h"

#include "text/byte_scan.h"
#include "text/utf8.h"

#include <algorithm>
#include <unistd.h>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kBlank = ' ';
constexpr std::int64_t kBlock = TextScan::kBlock;
constexpr std::int64_t kPage = FilePages::kPage;
static_assert(kBlock == kPage, "a block of the scan is a page of the cache");
// Rows up to this far after the row found last are reached from it, not from the block index.
constexpr std::int64_t kNearRows = 256;

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// Whether a character (text/utf8.h) begins at c, after a byte that was ASCII or not.
bool BeginsChar(char c, bool afterAscii) {
    return afterAscii || !IsContinuationByte(static_cast<unsigned char>(c));
}

// The characters that begin in [p, end), the byte before p being ASCII or not.
std::int64_t CharStarts(const char* p, const char* end, bool afterAscii) {
    if (p == end)
        return 0;
    return CountChars(p, end) - (BeginsChar(*p, afterAscii) ? 0 : 1);
}

// The index of the last element of [0, n) for which before holds (it holds for 0).
template <class Before> std::int64_t LastWhere(std::int64_t n, Before&& before) {
    std::int64_t low = 0;
    std::int64_t high = n; // before(low) holds; before(high) does not, or high == n
    while (high - low > 1) {
        const std::int64_t middle = low + (high - low) / 2;
        (before(middle) ? low : high) = middle;
    }
    return low;
}

} // namespace

std::optional<OpenedText> PagedText::open(FileHandle& file, const TextLimits& limits) {
    struct stat info {};
    if (fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0)
        return std::nullopt; // a file of /proc says 0 and holds bytes all the same
    TextScan scan = ScanText(file.fd(), std::int64_t(info.st_size));
    const bool fitsMemory = scan.end - scan.start + scan.total.lone <= limits.bytes;
    if (scan.longest > limits.pagedRow && fitsMemory) {
        lseek(file.fd(), 0, SEEK_SET);
        return std::nullopt;
    }
    const TextEncoding encoding = scan.encoding;
    const bool cut = scan.cutAtNul;
    if (scan.total.breaks + 1 > limits.rows || scan.longest > limits.longRow)
        return OpenedText{nullptr, encoding, cut, true};
    ReleaseShare(file.fd());
    const std::int64_t end = scan.end;
    auto text = std::make_unique<PagedText>(FilePages(std::move(file), end), std::move(scan));
    return OpenedText{std::move(text), encoding, cut, false};
}

PagedText::PagedText(FilePages pages, TextScan scan)
    : FPages(std::move(pages)), FScan(std::move(scan)),
      FSize(FScan.end - FScan.start + FScan.total.lone) {
    if (FScan.blocks.empty())
        FScan.blocks.push_back({});
}

std::int64_t PagedText::blockStart(std::int64_t block) const noexcept {
    return std::max(block * kBlock, FScan.start);
}

std::int64_t PagedText::findBreak(std::int64_t from, std::int64_t limit) const {
    while (from < limit) {
        const std::int64_t index = from / kPage;
        const std::shared_ptr<const std::string> page = FPages.page(index);
        const char* bytes = page->data();
        const std::int64_t base = index * kPage;
        const auto stop = std::min(std::int64_t(page->size()), limit - base);
        if (stop <= from - base)
            break;
        const char* found = FindBreakByte(bytes + (from - base), bytes + stop);
        if (found != bytes + stop)
            return base + (found - bytes);
        from = base + stop;
    }
    return limit;
}

PagedText::Break PagedText::nextBreak(std::int64_t raw) const {
    const std::int64_t end = FScan.end;
    const std::int64_t limit = std::min(end, raw + FScan.longest + 1);
    const std::int64_t at = findBreak(raw, limit);
    if (at >= end)
        return {end, 0, false};
    if (at == limit) // no break where the scan saw one: the file changed; the row ends here
        return {at - 1, 1, true};
    if (FPages.byteAt(at) == kCr && at + 1 < end && FPages.byteAt(at + 1) == kLf)
        return {at, 2, false};
    return {at, 1, true};
}

const PagedText::Place& PagedText::locate(std::int64_t row) const {
    if (FCursor.row == row)
        return FCursor;
    Place at;
    if (FCursor.row >= 0 && row > FCursor.row && row - FCursor.row <= kNearRows) {
        at = FCursor;
    } else if (row == 0) {
        at = {0, FScan.start, 0, 0};
    } else {
        // The last block before which fewer than row breaks begin: the break that ends row - 1
        // begins in it, or the row is the file's first, after a mark.
        const std::int64_t block =
            LastWhere(std::int64_t(FScan.blocks.size()), [&](std::int64_t k) {
                return FScan.blocks[std::size_t(k)].breaks <= row - 1;
            });
        const BlockCounts& counts = FScan.blocks[std::size_t(block)];
        at = {counts.breaks, blockStart(block), counts.lone, 0};
        if (splitsPair(at.raw))
            ++at.raw; // the LF of a pair whose CR ended the block before
    }
    while (at.row < row) {
        const Break found = nextBreak(at.raw);
        if (found.size == 0) {
            at.raw = FScan.end; // fewer rows than the scan found: the file changed
            at.row = row;
            break;
        }
        at.raw = found.at + found.size;
        at.lone += found.lone ? 1 : 0;
        ++at.row;
    }
    at.length = nextBreak(at.raw).at - at.raw;
    FCursor = at;
    return FCursor;
}

// Whether raw, a block's start, is the LF of a pair whose CR ends the block before.
bool PagedText::splitsPair(std::int64_t raw) const {
    return raw > FScan.start && raw < FScan.end && FPages.byteAt(raw - 1) == kCr &&
           FPages.byteAt(raw) == kLf;
}

std::int64_t PagedText::rowStart(std::int64_t row) const {
    const Place& at = locate(row);
    return offsetOf(at.raw, at.lone);
}

std::int64_t PagedText::rowLength(std::int64_t row) const {
    return locate(row).length;
}

bool PagedText::recheckSource() {
    if (FPages.changed() || !FPages.recheck())
        return FPages.changed();
    FPieceRow = -1; // the row kept may be of the pages dropped
    FPiece = {};
    return true;
}

TextPiece PagedText::rowBytes(std::int64_t row) const {
    if (FPieceRow == row)
        return FPiece;
    const Place at = locate(row);
    const std::int64_t index = at.raw / kPage;
    std::shared_ptr<const std::string> page = FPages.page(index);
    const std::int64_t inPage = at.raw - index * kPage;
    if (!FPages.changed() && inPage + at.length <= std::int64_t(page->size())) {
        const std::string_view bytes =
            std::string_view(*page).substr(std::size_t(inPage), std::size_t(at.length));
        FPiece = TextPiece(bytes, std::move(page));
    } else {
        // Across pages, or read again from a file that changed: a copy, without a break.
        auto bytes = std::make_shared<std::string>();
        bytes->reserve(std::size_t(at.length));
        FPages.copy(at.raw, at.raw + at.length, *bytes);
        bytes->resize(std::size_t(at.length), kBlank);
        std::replace_if(
            bytes->begin(), bytes->end(), [](char c) { return c == kCr || c == kLf; }, kBlank);
        const std::string_view view = *bytes;
        FPiece = TextPiece(view, std::move(bytes));
    }
    FPieceRow = row;
    return FPiece;
}

std::int64_t PagedText::rowOf(std::int64_t offset) const {
    offset = std::clamp<std::int64_t>(offset, 0, FSize);
    Place at;
    bool atStart = false; // at.raw is the start of row at.row
    const std::int64_t cursorOffset = offsetOf(FCursor.raw, FCursor.lone);
    // In the row found last (its break included), or not far after it.
    if (FCursor.row >= 0 && cursorOffset <= offset && offset <= cursorOffset + FCursor.length + 1)
        return FCursor.row;
    if (FCursor.row >= 0 && cursorOffset <= offset && offset - cursorOffset < 2 * kBlock) {
        at = FCursor;
        atStart = true;
    } else {
        const std::int64_t block =
            LastWhere(std::int64_t(FScan.blocks.size()), [&](std::int64_t k) {
                return offsetOf(blockStart(k), FScan.blocks[std::size_t(k)].lone) <= offset;
            });
        const BlockCounts& counts = FScan.blocks[std::size_t(block)];
        at = {counts.breaks, blockStart(block), counts.lone, 0};
        atStart = block == 0;
        if (splitsPair(at.raw)) {
            if (offset == offsetOf(at.raw, at.lone))
                return at.row - 1; // the LF of the break that ends the row before
            ++at.raw;
            atStart = true;
        }
    }
    for (;;) {
        const Break found = nextBreak(at.raw);
        if (found.size == 0 || offset < offsetOf(found.at, at.lone) + 2) {
            if (atStart)
                FCursor = {at.row, at.raw, at.lone, found.at - at.raw};
            return at.row;
        }
        at.raw = found.at + found.size;
        at.lone += found.lone ? 1 : 0;
        ++at.row;
        atStart = true;
    }
}

std::int64_t PagedText::charsBeforeRaw(std::int64_t raw) const {
    if (raw <= FScan.start)
        return 0;
    const std::int64_t block = raw / kBlock;
    std::int64_t count = FScan.blocks[std::size_t(block)].chars;
    const std::shared_ptr<const std::string> page = FPages.page(block);
    const std::int64_t from = blockStart(block) - block * kPage;
    const auto to = std::min<std::int64_t>(raw - block * kPage, std::int64_t(page->size()));
    if (from < to)
        count += CharStarts(page->data() + from, page->data() + to, afterAscii(blockStart(block)));
    return count;
}

// Whether the byte before raw is ASCII, or raw is where the text begins.
bool PagedText::afterAscii(std::int64_t raw) const {
    return raw <= FScan.start || IsAscii(FPages.byteAt(raw - 1));
}

std::int64_t PagedText::charsBeforeBlock(std::int64_t block) const noexcept {
    const std::int64_t start = blockStart(block);
    if (start <= FScan.start)
        return 0;
    const BlockCounts& counts = FScan.blocks[std::size_t(block)];
    return counts.chars + counts.lone;
}

std::int64_t PagedText::charsBefore(std::int64_t offset) const {
    offset = std::clamp<std::int64_t>(offset, 0, FSize);
    if (FScan.encoding == TextEncoding::Cp1252)
        return offset;
    const Place& at = locate(rowOf(offset));
    const std::int64_t column = std::max<std::int64_t>(offset - offsetOf(at.raw, at.lone), 0);
    if (column <= at.length)
        return charsBeforeRaw(at.raw + column) + at.lone;
    // Between the CR and the LF of the row's break.
    return charsBeforeRaw(at.raw + at.length) + at.lone + 1;
}

std::int64_t PagedText::offsetOfChar(std::int64_t chars) const {
    chars = std::max<std::int64_t>(chars, 0);
    if (FScan.encoding == TextEncoding::Cp1252)
        return std::min(chars, FSize);
    const std::int64_t end = FScan.end;
    const std::int64_t block = LastWhere(std::int64_t(FScan.blocks.size()), [&](std::int64_t k) {
        return charsBeforeBlock(k) <= chars;
    });
    std::int64_t count = charsBeforeBlock(block);
    std::int64_t lone = FScan.blocks[std::size_t(block)].lone;
    std::int64_t raw = blockStart(block);
    for (bool ascii = afterAscii(raw); raw < end;) {
        const std::int64_t index = raw / kPage;
        const std::shared_ptr<const std::string> page = FPages.page(index);
        const std::int64_t base = index * kPage;
        const std::int64_t stop = std::min(base + std::int64_t(page->size()), end);
        if (stop <= raw)
            break;
        for (; raw < stop; ++raw) {
            const char b = (*page)[std::size_t(raw - base)];
            if (BeginsChar(b, ascii)) {
                if (count == chars)
                    return offsetOf(raw, lone);
                ++count;
            }
            ascii = IsAscii(b);
            const bool loneCr = b == kCr && !(raw + 1 < end && FPages.byteAt(raw + 1) == kLf);
            const bool loneLf = b == kLf && !(raw > FScan.start && FPages.byteAt(raw - 1) == kCr);
            if (loneCr || loneLf) { // read as a CR LF: one character more
                if (count == chars)
                    return offsetOf(raw, lone) + 1;
                ++count;
                ++lone;
            }
        }
    }
    return FSize;
}
