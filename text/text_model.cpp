// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_model.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/file_replace.h"
#include "text/paged_text.h"
#include "text/system_errors.h"
#include "text/text_loader.h"
#include "text/utf8.h"

#include <algorithm>

namespace {

std::int64_t CharsIn(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp1252 || bytes.empty())
        return std::int64_t(bytes.size());
    return CountChars(bytes.data(), bytes.data() + bytes.size());
}

// The text of a pipe or a device, or of a file whose rows are too long for its pages.
OpenedText ReadIntoMemory(int fd, const TextLimits& limits) {
    LoadedText loaded = LoadText(fd, limits.bytes);
    const bool beyond = loaded.beyondCapacity || loaded.rows.count() > limits.rows;
    if (beyond)
        return {nullptr, loaded.encoding, loaded.cutAtNul, true};
    auto document = std::make_unique<MemoryText>(std::move(loaded.text), std::move(loaded.rows),
                                                 loaded.encoding);
    return {std::move(document), loaded.encoding, loaded.cutAtNul, false};
}

bool SameRows(const TextDocument& a, const TextDocument& b) {
    for (std::int64_t row = 0; row < a.rowCount(); ++row)
        if (a.rowBytes(row).view() != b.rowBytes(row).view())
            return false;
    return true;
}

bool SameText(const TextDocument& a, const TextDocument& b) {
    if (a.encoding() != b.encoding() || a.size() != b.size() || a.rowCount() != b.rowCount())
        return false;
    const auto* memoryA = dynamic_cast<const MemoryText*>(&a);
    const auto* memoryB = dynamic_cast<const MemoryText*>(&b);
    if (memoryA && memoryB)
        return memoryA->view() == memoryB->view();
    const auto* pagedA = dynamic_cast<const PagedText*>(&a);
    const auto* pagedB = dynamic_cast<const PagedText*>(&b);
    if (pagedA && pagedB && pagedA->sameUnchangedFile(*pagedB))
        return true;
    return SameRows(a, b);
}

} // namespace

TextModel::TextModel(std::int64_t capacity) : FDocument(std::make_unique<MemoryText>()) {
    FLimits.bytes = capacity;
}

OpenedText TextModel::readFile(const std::string& path, const TextLimits& limits) {
    OpenResult opened = OpenForReading(path);
    if (!opened.file.isOpen())
        throw EFOpenError(FullPath(path), SystemErrorText(opened.code));
    if (limits.paged) {
        std::optional<OpenedText> paged = PagedText::open(opened.file, limits);
        if (paged)
            return std::move(*paged);
    }
    OpenedText read = ReadIntoMemory(opened.file.fd(), limits);
    opened.file.close();
    return read;
}

bool TextModel::adopt(OpenedText opened) {
    if (opened.beyondCapacity || !opened.document)
        throw EInvalidOperation(kMemoCapacityMessage);
    // The current text never holds a NUL, so a text cut at one always differs from it.
    if (!opened.cutAtNul && SameText(*opened.document, *FDocument))
        return false;
    FDocument = std::move(opened.document);
    FAnchor = FCaret = 0;
    return true;
}

void TextModel::saveToFile(const std::string& path) const {
    if (const auto* memory = dynamic_cast<const MemoryText*>(FDocument.get())) {
        ReplaceFileContent(path, memory->view());
        return;
    }
    if (size() > FLimits.bytes)
        throw EInvalidOperation(kMemoCapacityMessage);
    ReplaceFileContent(path, text());
}

void TextModel::clear(TextEncoding encoding) {
    FDocument = std::make_unique<MemoryText>(encoding);
    FAnchor = FCaret = 0;
}

void TextModel::clear() {
    clear(encoding());
}

int TextModel::lineCount() const noexcept {
    if (size() == 0)
        return 0;
    const int rows = rowCount();
    return FDocument->rowLength(rows - 1) == 0 ? rows - 1 : rows;
}

std::string TextModel::line(int i) const {
    if (i < 0 || i >= lineCount())
        return {};
    const TextPiece row = rowText(i);
    return std::string(FirstChars(row.view(), kMaxLineLength, encoding()));
}

MemoryText& TextModel::memory() {
    if (auto* memory = dynamic_cast<MemoryText*>(FDocument.get()))
        return *memory;
    // Lines appended to a file's text: the text is copied into memory first.
    if (size() > FLimits.bytes)
        throw EInvalidOperation(kMemoCapacityMessage);
    auto copy = std::make_unique<MemoryText>(encoding());
    copy->appendLines(text());
    FDocument = std::move(copy);
    return static_cast<MemoryText&>(*FDocument);
}

void TextModel::appendLine(std::string_view s) {
    memory().appendLine(s);
    appended();
}

void TextModel::appendLines(std::string_view lines) {
    memory().appendLines(lines);
    appended();
}

void TextModel::appendLines(IndexedLines&& lines) {
    memory().appendLines(std::move(lines));
    appended();
}

void TextModel::appended() {
    FAnchor = FCaret = size();
}

std::int64_t TextModel::rowStart(int row) const {
    if (row < 0)
        return 0;
    if (row >= rowCount())
        return size();
    return FDocument->rowStart(row);
}

std::int64_t TextModel::rowOffset(int row) const {
    return charOffset(rowStart(row));
}

int TextModel::rowOfOffset(std::int64_t offset) const {
    return int(FDocument->rowOf(clampOffset(offset)));
}

TextPiece TextModel::rowText(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return FDocument->rowBytes(row);
}

std::int64_t TextModel::rowLength(int row) const {
    if (row < 0 || row >= rowCount())
        return 0;
    return FDocument->rowLength(row);
}

TextModel::Place TextModel::placeOf(std::int64_t offset) const {
    const std::int64_t row = FDocument->rowOf(clampOffset(offset));
    return {row, FDocument->rowStart(row), FDocument->rowLength(row)};
}

// Inside a row the row's bytes step; a CR LF between rows is two characters of a byte each. A
// step always moves, so that loops over steps end whatever the rows hold.
std::int64_t TextModel::nextChar(std::int64_t offset) const {
    const Place at = placeOf(offset);
    if (offset >= at.start && offset < at.start + at.length) {
        const TextPiece row = FDocument->rowBytes(at.row);
        const auto next = NextChar(row.view(), std::size_t(offset - at.start), encoding());
        return at.start + std::int64_t(next);
    }
    return std::min(offset + 1, size());
}

std::int64_t TextModel::previousChar(std::int64_t offset) const {
    if (offset <= 0)
        return 0;
    const Place at = placeOf(offset);
    if (offset > at.start && offset <= at.start + at.length) {
        const TextPiece row = FDocument->rowBytes(at.row);
        const auto before = PreviousChar(row.view(), std::size_t(offset - at.start), encoding());
        return at.start + std::int64_t(before);
    }
    return offset - 1;
}

CharClass TextModel::classAt(std::int64_t offset) const {
    const Place at = placeOf(offset);
    if (offset >= at.start && offset < at.start + at.length) {
        const TextPiece row = FDocument->rowBytes(at.row);
        return ClassOf(CharAt(row.view(), std::size_t(offset - at.start), encoding()));
    }
    return CharClass::Break;
}

bool TextModel::pairAt(std::int64_t offset) const {
    if (offset < 0 || offset >= size())
        return false;
    const Place at = placeOf(offset);
    return offset == at.start + at.length && at.row + 1 < FDocument->rowCount();
}

std::string TextModel::piece(std::int64_t from, std::int64_t to, std::int64_t maxChars) const {
    from = clampOffset(from);
    to = std::clamp(to, from, size());
    std::string out;
    std::int64_t left = maxChars;
    std::int64_t at = from;
    for (std::int64_t row = FDocument->rowOf(from); at < to && left > 0; ++row) {
        const std::int64_t start = row < FDocument->rowCount() ? FDocument->rowStart(row) : to;
        const std::int64_t end =
            row < FDocument->rowCount() ? start + FDocument->rowLength(row) : to;
        if (at >= start && at < end) {
            const TextPiece bytes = FDocument->rowBytes(row);
            const std::string_view wanted =
                bytes.view().substr(std::size_t(at - start), std::size_t(std::min(to, end) - at));
            const std::string_view taken = FirstChars(wanted, left, encoding());
            out.append(taken);
            left -= CharsIn(taken, encoding());
            if (taken.size() < wanted.size())
                break;
            at += std::int64_t(wanted.size());
        }
        // The row's break, CR then LF; between rows that disagree (a file rewritten), what lies
        // between them reads as breaks.
        const std::int64_t next =
            row + 1 < FDocument->rowCount() ? FDocument->rowStart(row + 1) : to;
        for (; at < std::min(to, std::max(next, end + 2)) && left > 0; ++at, --left)
            out.push_back(at == end ? '\r' : '\n');
    }
    return out;
}

std::int64_t TextModel::charOffset(std::int64_t byteOffset) const {
    return FDocument->charsBefore(clampOffset(byteOffset));
}

std::int64_t TextModel::byteOffset(std::int64_t charOffset) const {
    return FDocument->offsetOfChar(std::max<std::int64_t>(charOffset, 0));
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
    return piece(std::min(FAnchor, FCaret), std::max(FAnchor, FCaret), INT64_MAX);
}

std::int64_t TextModel::clampOffset(std::int64_t offset) const noexcept {
    return std::clamp<std::int64_t>(offset, 0, size());
}
