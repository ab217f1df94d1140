#include "text/text_model.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/file_replace.h"
#include "text/system_errors.h"
#include "text/text_loader.h"
#include "text/utf8.h"

#include <algorithm>

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
    FFileEncoding = loaded.encoding;
    if (loaded.beyondCapacity)
        throw EInvalidOperation(kMemoCapacityMessage);
    // The current text never holds a NUL, so a text cut at one always differs from it.
    if (!loaded.cutAtNul && loaded.encoding == FEncoding && loaded.text == FText)
        return false;
    FText = std::move(loaded.text);
    FEncoding = loaded.encoding;
    FRows = std::move(loaded.rows);
    FChars.forgetFrom(0);
    FAnchor = FCaret = 0;
    return true;
}

void TextModel::saveToFile(const std::string& path) const {
    ReplaceFileContent(path, FText);
}

void TextModel::clear(TextEncoding encoding) {
    FText = std::string();
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
    if (countsBytes())
        return std::string(row.substr(0, kMaxLineLength));
    const char* end = row.data() + row.size();
    return std::string(row.data(), AdvanceChars(row.data(), end, kMaxLineLength));
}

void TextModel::appendLine(std::string_view s) {
    s = s.substr(0, std::min(s.size(), s.find('\0')));
    const std::size_t from = FText.size();
    if (FText.empty() || FText.ends_with(kCrLf)) {
        FText.append(s);
        FText.append(kCrLf);
    } else {
        FText.append(kCrLf);
        FText.append(s);
    }
    appended(from);
}

void TextModel::appendLines(std::string_view lines) {
    if (lines.empty())
        return;
    const std::size_t from = FText.size();
    if (FText.empty() || FText.ends_with(kCrLf)) {
        FText.append(lines);
    } else {
        // Line by line, each goes after a CR LF and none is followed by one.
        FText.append(kCrLf);
        FText.append(lines.substr(0, lines.size() - kCrLf.size()));
    }
    appended(from);
}

void TextModel::takeLines(std::string&& lines, RowIndex&& rows) {
    if (!FText.empty() || lines.empty()) {
        appendLines(lines);
        return;
    }
    FText = std::move(lines);
    FRows = std::move(rows);
    FChars.forgetFrom(0);
    FAnchor = FCaret = size();
}

void TextModel::appended(std::size_t from) {
    try {
        FRows.extend(FText, from);
    } catch (...) {
        FText.resize(from); // appended whole or not at all
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
    return FRows.start(FText, row);
}

std::int64_t TextModel::rowOffset(int row) const {
    return charOffset(rowStart(row));
}

int TextModel::rowOfOffset(std::int64_t offset) const noexcept {
    return int(FRows.rowOf(FText, clampOffset(offset)));
}

std::string_view TextModel::rowText(int row) const noexcept {
    if (row < 0 || row >= rowCount())
        return {};
    const std::int64_t start = rowStart(row);
    const std::int64_t end = row + 1 < rowCount() ? rowStart(row + 1) - 2 : size();
    return std::string_view(FText).substr(std::size_t(start), std::size_t(end - start));
}

std::int64_t TextModel::charOffset(std::int64_t byteOffset) const {
    const std::int64_t offset = clampOffset(byteOffset);
    return countsBytes() ? offset : FChars.charsBefore(FText, offset);
}

std::int64_t TextModel::byteOffset(std::int64_t charOffset) const {
    const std::int64_t chars = std::max<std::int64_t>(charOffset, 0);
    return countsBytes() ? std::min(chars, size()) : FChars.byteOffset(FText, chars);
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
    return FText.substr(std::size_t(start), std::size_t(std::max(FAnchor, FCaret) - start));
}

std::int64_t TextModel::clampOffset(std::int64_t offset) const noexcept {
    return std::clamp<std::int64_t>(offset, 0, size());
}
