// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_model.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/file_replace.h"
#include "text/system_errors.h"
#include "text/text_loader.h"
#include "text/utf8.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kCrLf = "\r\n";

} // namespace

TextModel::TextModel(std::int64_t capacity) : FCapacity(capacity) {
    FRows.clear();
}

LoadedText TextModel::readFile(const std::string& path, std::int64_t capacity) {
    OpenResult opened = OpenForReading(path);
    if (!opened.file.isOpen())
        throw EFOpenError(FullPath(path), SystemErrorText(opened.code));
    LoadedText loaded = LoadText(opened.file.fd(), capacity);
    opened.file.close();
    return loaded;
}

bool TextModel::adopt(LoadedText loaded) {
    if (loaded.beyondCapacity)
        throw EInvalidOperation(kMemoCapacityMessage);
    // The current text never holds a NUL, so a text cut at one always differs from it.
    if (!loaded.cutAtNul && loaded.encoding == FEncoding && loaded.text.view() == FText.view())
        return false;
    FText = std::move(loaded.text);
    FEncoding = loaded.encoding;
    FRows = std::move(loaded.rows);
    FChars.forgetFrom(0);
    FAnchor = FCaret = 0;
    return true;
}

void TextModel::saveToFile(const std::string& path) const {
    ReplaceFileContent(path, FText.view());
}

void TextModel::clear(TextEncoding encoding) {
    FText.clear();
    FEncoding = encoding;
    FRows.clear();
    FChars.forgetFrom(0);
    FAnchor = FCaret = 0;
}

void TextModel::clear() {
    clear(FEncoding);
}

int TextModel::lineCount() const noexcept {
    if (FText.empty())
        return 0;
    return FRows.lastStart() == size() ? rowCount() - 1 : rowCount();
}

std::string TextModel::line(int i) const {
    if (i < 0 || i >= lineCount())
        return {};
    const std::string_view row = rowText(i);
    return std::string(FirstChars(row, kMaxLineLength, FEncoding));
}

std::int64_t TextModel::nextChar(std::int64_t offset) const noexcept {
    return std::int64_t(NextChar(text(), std::size_t(offset), FEncoding));
}

std::int64_t TextModel::previousChar(std::int64_t offset) const noexcept {
    return std::int64_t(PreviousChar(text(), std::size_t(offset), FEncoding));
}

CharClass TextModel::classAt(std::int64_t offset) const noexcept {
    return ClassOf(CharAt(text(), std::size_t(offset), FEncoding));
}

bool TextModel::pairAt(std::int64_t offset) const noexcept {
    return offset >= 0 && offset + 1 < size() && text().substr(std::size_t(offset), 2) == kCrLf;
}

std::string TextModel::piece(std::int64_t from, std::int64_t to, std::int64_t maxChars) const {
    from = clampOffset(from);
    to = std::clamp(to, from, size());
    const std::string_view bytes = text().substr(std::size_t(from), std::size_t(to - from));
    return std::string(FirstChars(bytes, maxChars, FEncoding));
}

bool TextModel::endsWithBreak() const noexcept {
    return FText.empty() || FText.view().ends_with(kCrLf);
}

void TextModel::appendLine(std::string_view s) {
    s = s.substr(0, std::min(s.size(), s.find('\0')));
    const std::size_t from = FText.size();
    char* at = FText.extend(s.size() + kCrLf.size());
    if (from == 0 || std::string_view(FText.data(), from).ends_with(kCrLf)) {
        std::memcpy(at, s.data(), s.size());
        std::memcpy(at + s.size(), kCrLf.data(), kCrLf.size());
    } else {
        std::memcpy(at, kCrLf.data(), kCrLf.size());
        std::memcpy(at + kCrLf.size(), s.data(), s.size());
    }
    appended(from);
}

void TextModel::appendLines(std::string_view lines) {
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

void TextModel::appendLines(IndexedLines&& lines) {
    if (!FText.empty()) {
        appendLines(lines.text.view());
        return;
    }
    lines.text.stopFaulting();
    FText = std::move(lines.text);
    FRows = std::move(lines.rows);
    FChars.forgetFrom(0);
    FAnchor = FCaret = size();
}

void TextModel::appended(std::size_t from) {
    try {
        FRows.extend(FText.view(), from);
    } catch (...) {
        FText.truncate(from); // appended whole or not at all
        throw;
    }
    FChars.forgetFrom(std::int64_t(from));
    FAnchor = FCaret = size();
}

std::int64_t TextModel::rowStart(int row) const noexcept {
    if (row < 0)
        return 0;
    if (row >= rowCount())
        return size();
    return FRows.start(FText.view(), row);
}

std::int64_t TextModel::rowOffset(int row) const {
    return charOffset(rowStart(row));
}

int TextModel::rowOfOffset(std::int64_t offset) const noexcept {
    return int(FRows.rowOf(FText.view(), clampOffset(offset)));
}

std::string_view TextModel::rowText(int row) const noexcept {
    if (row < 0 || row >= rowCount())
        return {};
    const std::int64_t start = rowStart(row);
    const std::int64_t end = row + 1 < rowCount() ? rowStart(row + 1) - 2 : size();
    return FText.view().substr(std::size_t(start), std::size_t(end - start));
}

std::int64_t TextModel::charOffset(std::int64_t byteOffset) const {
    const std::int64_t offset = clampOffset(byteOffset);
    return countsBytes() ? offset : FChars.charsBefore(FText.view(), offset);
}

std::int64_t TextModel::byteOffset(std::int64_t charOffset) const {
    const std::int64_t chars = std::max<std::int64_t>(charOffset, 0);
    return countsBytes() ? std::min(chars, size()) : FChars.byteOffset(FText.view(), chars);
}

void TextModel::setSelection(std::int64_t anchor, std::int64_t caret) noexcept {
    FAnchor = clampOffset(anchor);
    FCaret = clampOffset(caret);
}

std::int64_t TextModel::selStart() const {
    return charOffset(std::min(FAnchor, FCaret));
}

std::int64_t TextModel::selLength() const {
    return charOffset(std::max(FAnchor, FCaret)) - selStart();
}

void TextModel::setSelStart(std::int64_t offset) {
    const std::int64_t at = byteOffset(offset);
    setSelection(at, at);
}

void TextModel::setSelLength(std::int64_t length) {
    const std::int64_t start = std::min(FAnchor, FCaret);
    setSelection(start, byteOffset(charOffset(start) + length));
}

std::string TextModel::selectedText() const {
    const std::int64_t start = std::min(FAnchor, FCaret);
    return std::string(
        FText.view().substr(std::size_t(start), std::size_t(std::max(FAnchor, FCaret) - start)));
}

std::int64_t TextModel::clampOffset(std::int64_t offset) const noexcept {
    return std::clamp<std::int64_t>(offset, 0, size());
}
