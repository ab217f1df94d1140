// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/memory_text.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kCrLf = "\r\n";

} // namespace

MemoryText::MemoryText(TextEncoding encoding) : FEncoding(encoding) {
    FRows.clear();
}

MemoryText::MemoryText(TextBuffer text, RowIndex rows, TextEncoding encoding)
    : FText(std::move(text)), FEncoding(encoding), FRows(std::move(rows)) {}

std::int64_t MemoryText::rowStart(std::int64_t row) const {
    return FRows.start(FText.view(), row);
}

// The row's start first: the index's lookups then go forward, from one row to the next.
std::int64_t MemoryText::rowLength(std::int64_t row) const {
    const std::int64_t start = rowStart(row);
    const std::int64_t end = row + 1 < rowCount() ? rowStart(row + 1) - 2 : size();
    return end - start;
}

TextPiece MemoryText::rowBytes(std::int64_t row) const {
    const std::int64_t start = rowStart(row);
    return TextPiece(FText.view().substr(std::size_t(start), std::size_t(rowLength(row))));
}

std::int64_t MemoryText::rowOf(std::int64_t offset) const {
    return FRows.rowOf(FText.view(), offset);
}

std::int64_t MemoryText::charsBefore(std::int64_t offset) const {
    offset = std::clamp<std::int64_t>(offset, 0, size());
    return countsBytes() ? offset : FChars.charsBefore(FText.view(), offset);
}

std::int64_t MemoryText::offsetOfChar(std::int64_t chars) const {
    chars = std::max<std::int64_t>(chars, 0);
    return countsBytes() ? std::min(chars, size()) : FChars.byteOffset(FText.view(), chars);
}

bool MemoryText::endsWithBreak() const noexcept {
    return FText.empty() || FText.view().ends_with(kCrLf);
}

void MemoryText::appendLine(std::string_view s) {
    s = s.substr(0, std::min(s.size(), s.find('\0')));
    const std::size_t from = FText.size();
    const bool afterBreak = endsWithBreak();
    char* at = FText.extend(s.size() + kCrLf.size());
    if (afterBreak) {
        std::memcpy(at, s.data(), s.size());
        std::memcpy(at + s.size(), kCrLf.data(), kCrLf.size());
    } else {
        std::memcpy(at, kCrLf.data(), kCrLf.size());
        std::memcpy(at + kCrLf.size(), s.data(), s.size());
    }
    appended(from);
}

void MemoryText::appendLines(std::string_view lines) {
    if (lines.empty())
        return;
    const std::size_t from = FText.size();
    if (endsWithBreak()) {
        FText.append(lines);
    } else {
        // Line by line, each goes after a CR LF and none is followed by one.
        char* at = FText.extend(lines.size());
        std::memcpy(at, kCrLf.data(), kCrLf.size());
        std::memcpy(at + kCrLf.size(), lines.data(), lines.size() - kCrLf.size());
    }
    appended(from);
}

void MemoryText::appendLines(IndexedLines&& lines) {
    if (!FText.empty()) {
        appendLines(lines.text.view());
        return;
    }
    lines.text.stopFaulting();
    FText = std::move(lines.text);
    FRows = std::move(lines.rows);
    FChars.forgetFrom(0);
}

void MemoryText::appended(std::size_t from) {
    try {
        FRows.extend(FText.view(), from);
    } catch (...) {
        FText.truncate(from); // appended whole or not at all
        throw;
    }
    FChars.forgetFrom(std::int64_t(from));
}
