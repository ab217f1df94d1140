#include "text/text_model.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/system_errors.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr std::size_t kReadChunk = std::size_t(1) << 16;

// Asks for huge pages for a large buffer not yet touched: a few hundred faults instead of tens of
// thousands. Only advice; nothing changes where the system declines it.
void AdviseHugePages(char* data, std::size_t size) {
    constexpr std::uintptr_t kHuge = std::uintptr_t(1) << 21;
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Reads the file from its start, at most limit bytes, into one string. The string is sized from
// the file's length so that a regular file is read straight into its final buffer; a failed read
// ends the data.
std::string ReadUpTo(int fd, std::size_t limit) {
    struct stat info {};
    std::size_t expected = kReadChunk;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        expected = std::size_t(info.st_size) + 1; // one more byte to see the end without growing
    std::string data;
    data.reserve(std::min(expected, limit));
    AdviseHugePages(data.data(), data.capacity());
    data.resize(data.capacity());
    std::size_t total = 0;
    while (total < limit) {
        if (total == data.size())
            data.resize(std::min(limit, std::max(data.size() * 2, kReadChunk)));
        const ssize_t got = ::read(fd, data.data() + total, data.size() - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        total += std::size_t(got);
    }
    data.resize(total);
    return data;
}

constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;

// The top bit of each byte of the result is set exactly where the byte of word is zero.
std::uint64_t ZeroBytes(std::uint64_t word) {
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// Where the rows of a text begin (after each CR LF), and how many lone CR and LF bytes it holds.
struct Breaks {
    std::vector<std::int64_t> rowStarts{0};
    std::size_t lone = 0;
};

// One pass over the text, eight bytes at a time: CR bytes are counted, LF bytes located.
Breaks ScanBreaks(std::string_view data) {
    Breaks breaks;
    breaks.rowStarts.reserve(data.size() / 16 + 1); // pages never touched cost no memory
    const char* p = data.data();
    const std::size_t n = data.size();
    std::size_t returns = 0;
    std::size_t feeds = 0;
    const auto feedAt = [&](std::size_t i) {
        ++feeds;
        if (i > 0 && p[i - 1] == kCR)
            breaks.rowStarts.push_back(std::int64_t(i) + 1);
    };
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= n; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            returns += std::size_t(std::popcount(ZeroBytes(word ^ (kEachByte * kCR))));
            for (std::uint64_t lf = ZeroBytes(word ^ (kEachByte * kLF)); lf != 0; lf &= lf - 1)
                feedAt(i + std::size_t(std::countr_zero(lf)) / 8);
        }
    }
    for (; i < n; ++i) {
        returns += p[i] == kCR;
        if (p[i] == kLF)
            feedAt(i);
    }
    const std::size_t pairs = breaks.rowStarts.size() - 1;
    breaks.lone = returns - pairs + feeds - pairs;
    return breaks;
}

// Index of the first CR or LF at or after i, or n.
std::size_t FindBreak(const char* p, std::size_t i, std::size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= n; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            const std::uint64_t hits =
                ZeroBytes(word ^ (kEachByte * kCR)) | ZeroBytes(word ^ (kEachByte * kLF));
            if (hits != 0)
                return i + std::size_t(std::countr_zero(hits)) / 8;
        }
    }
    while (i < n && p[i] != kCR && p[i] != kLF)
        ++i;
    return i;
}

// Copies data into a string of exactly length bytes, making every lone CR and lone LF a CR LF.
std::string ConvertBreaks(std::string_view data, std::size_t length) {
    std::string out;
    out.reserve(length);
    AdviseHugePages(out.data(), out.capacity());
    out.resize(length);
    char* o = out.data();
    const char* p = data.data();
    const std::size_t n = data.size();
    for (std::size_t i = 0; i < n;) {
        const std::size_t at = FindBreak(p, i, n);
        std::memcpy(o, p + i, at - i);
        o += at - i;
        if (at == n)
            break;
        *o++ = kCR;
        *o++ = kLF;
        i = at + (p[at] == kCR && at + 1 < n && p[at + 1] == kLF ? 2 : 1);
    }
    return out;
}

// Writes all of data; false when the file took fewer bytes (disk full, or any write error).
bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data.remove_prefix(std::size_t(put));
    }
    return true;
}

} // namespace

TextModel::TextModel(std::int64_t capacity) : FCapacity(capacity) {}

bool TextModel::loadFromFile(const std::string& path) {
    OpenResult opened = OpenForReading(path);
    if (!opened.file.isOpen())
        throw EFOpenError(FullPath(path), SystemErrorText(opened.code));
    // Conversion only lengthens the text, so more raw bytes than the capacity before a NUL can
    // only be refused: reading one byte past it is enough to decide.
    std::string data =
        ReadUpTo(opened.file.fd(), std::size_t(std::max<std::int64_t>(FCapacity, 0)) + 1);
    opened.file.close();

    const std::size_t nul = data.find('\0');
    const bool hasNul = nul != std::string::npos;
    if (hasNul)
        data.resize(nul);
    if (std::int64_t(data.size()) > FCapacity)
        throw EInvalidOperation(kMemoCapacityMessage);
    Breaks breaks = ScanBreaks(data);
    const std::size_t length = data.size() + breaks.lone;
    if (std::int64_t(length) > FCapacity)
        throw EInvalidOperation(kMemoCapacityMessage);
    if (breaks.lone > 0) {
        data = ConvertBreaks(data, length); // the raw bytes are released here
        breaks = ScanBreaks(data);
    }
    // The current text never holds a NUL, so a text cut at one always differs from it.
    if (!hasNul && data == FText)
        return false;
    replaceText(std::move(data), std::move(breaks.rowStarts));
    return true;
}

void TextModel::saveToFile(const std::string& path) const {
    OpenResult created = CreateExclusive(path);
    if (!created.file.isOpen())
        throw EFCreateError(FullPath(path), SystemErrorText(created.code));
    const bool written = WriteAll(created.file.fd(), FText);
    const bool closed = created.file.close() == 0;
    // A failed close can lose written data: it is reported like a short write.
    if (!written || !closed)
        throw EWriteError();
}

int TextModel::lineCount() const noexcept {
    if (FText.empty())
        return 0;
    const int rows = rowCount();
    return FRowStarts.back() == size() ? rows - 1 : rows;
}

std::string TextModel::line(int i) const {
    if (i < 0 || i >= lineCount())
        return {};
    const std::string_view row = rowText(i);
    return std::string(row.substr(0, kMaxLineLength));
}

void TextModel::appendLine(std::string_view s) {
    s = s.substr(0, std::min(s.size(), s.find('\0')));
    // No pair can straddle the old end: it ends with LF, or gets a CR LF appended first.
    const std::size_t from = FText.size();
    const std::size_t lastRow = FRowStarts.size() - 1;
    if (FText.empty() || FText.ends_with("\r\n")) {
        FText.append(s);
        FText.append("\r\n");
    } else {
        FText.append("\r\n");
        FText.append(s);
    }
    indexRowsFrom(from);
    if (FLongestRowKnown)
        for (std::size_t row = lastRow; row < FRowStarts.size(); ++row)
            FLongestRow = std::max(FLongestRow, std::int64_t(rowText(int(row)).size()));
    FAnchor = FCaret = size();
}

void TextModel::appendLines(std::string_view lines) {
    if (lines.empty())
        return;
    const std::size_t from = FText.size();
    const std::size_t lastRow = FRowStarts.size() - 1;
    if (FText.empty() || FText.ends_with("\r\n")) {
        FText.append(lines);
    } else {
        // Line by line, each goes after a CR LF and none is followed by one.
        FText.append("\r\n");
        FText.append(lines.substr(0, lines.size() - 2));
    }
    indexRowsFrom(from);
    if (FLongestRowKnown)
        for (std::size_t row = lastRow; row < FRowStarts.size(); ++row)
            FLongestRow = std::max(FLongestRow, std::int64_t(rowText(int(row)).size()));
    FAnchor = FCaret = size();
}

void TextModel::clear() {
    replaceText(std::string(), {0});
}

std::int64_t TextModel::rowOffset(int row) const noexcept {
    if (row < 0)
        return 0;
    if (row >= rowCount())
        return size();
    return FRowStarts[std::size_t(row)];
}

int TextModel::rowOfOffset(std::int64_t offset) const noexcept {
    const auto after = std::upper_bound(FRowStarts.begin(), FRowStarts.end(), clampOffset(offset));
    return int(after - FRowStarts.begin()) - 1;
}

std::string_view TextModel::rowText(int row) const noexcept {
    if (row < 0 || row >= rowCount())
        return {};
    const std::int64_t start = FRowStarts[std::size_t(row)];
    const std::int64_t end =
        row + 1 < rowCount() ? FRowStarts[std::size_t(row) + 1] - 2 : std::int64_t(FText.size());
    return std::string_view(FText).substr(std::size_t(start), std::size_t(end - start));
}

std::int64_t TextModel::longestRow() const noexcept {
    if (!FLongestRowKnown) {
        std::int64_t longest = 0;
        for (std::size_t i = 0; i + 1 < FRowStarts.size(); ++i)
            longest = std::max(longest, FRowStarts[i + 1] - FRowStarts[i] - 2);
        FLongestRow = std::max(longest, size() - FRowStarts.back());
        FLongestRowKnown = true;
    }
    return FLongestRow;
}

void TextModel::setSelection(std::int64_t anchor, std::int64_t caret) noexcept {
    FAnchor = clampOffset(anchor);
    FCaret = clampOffset(caret);
}

std::int64_t TextModel::selStart() const noexcept {
    return std::min(FAnchor, FCaret);
}

std::int64_t TextModel::selLength() const noexcept {
    return std::max(FAnchor, FCaret) - selStart();
}

void TextModel::setSelStart(std::int64_t offset) noexcept {
    setSelection(offset, offset);
}

void TextModel::setSelLength(std::int64_t length) noexcept {
    const std::int64_t start = selStart();
    setSelection(start, start + length);
}

std::string TextModel::selectedText() const {
    return FText.substr(std::size_t(selStart()), std::size_t(selLength()));
}

std::int64_t TextModel::clampOffset(std::int64_t offset) const noexcept {
    return std::clamp<std::int64_t>(offset, 0, size());
}

void TextModel::replaceText(std::string text, std::vector<std::int64_t> rowStarts) {
    FText = std::move(text);
    FRowStarts = std::move(rowStarts);
    FLongestRowKnown = false;
    FAnchor = FCaret = 0;
}

// Adds the start of every row that begins after a CR LF whose LF lies at or after from.
void TextModel::indexRowsFrom(std::size_t from) {
    const char* first = FText.data();
    const char* last = first + FText.size();
    for (const char* p = first + from;
         const void* hit = std::memchr(p, kLF, std::size_t(last - p));) {
        const char* lf = static_cast<const char*>(hit);
        if (lf > first && lf[-1] == kCR)
            FRowStarts.push_back(lf + 1 - first);
        p = lf + 1;
    }
}
