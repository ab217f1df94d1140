// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A text kept whole in memory: the result list, which grows by appended lines, and the text of a
// pipe or a device, which cannot be read twice.

#include "text/char_index.h"
#include "text/row_index.h"
#include "text/text_buffer.h"
#include "text/text_document.h"

#include <string_view>

// Lines with the index of their rows, as a writer that knows them hands them over.
struct IndexedLines {
    TextBuffer text;
    RowIndex rows;
};

class MemoryText final : public TextDocument {
public:
    explicit MemoryText(TextEncoding encoding = TextEncoding::Cp1252);
    // Takes text (CR LF breaks) and the index of its rows.
    MemoryText(TextBuffer text, RowIndex rows, TextEncoding encoding);

    TextEncoding encoding() const noexcept override { return FEncoding; }
    std::int64_t size() const noexcept override { return std::int64_t(FText.size()); }
    std::int64_t rowCount() const noexcept override { return FRows.count(); }
    std::int64_t rowStart(std::int64_t row) const override;
    std::int64_t rowLength(std::int64_t row) const override;
    TextPiece rowBytes(std::int64_t row) const override;
    std::int64_t rowOf(std::int64_t offset) const override;
    std::int64_t longestRow() const noexcept override { return FRows.longest(size()); }
    std::int64_t charsBefore(std::int64_t offset) const override;
    std::int64_t offsetOfChar(std::int64_t chars) const override;

    std::string_view view() const noexcept { return FText.view(); }

    // Appends s (up to its first NUL) as a line: after the text when it is empty or ends with
    // CR LF (s is then followed by CR LF), else after a CR LF.
    void appendLine(std::string_view s);
    // Appends whole lines, each ending with CR LF and holding no other CR, LF or NUL, as
    // appendLine would one by one.
    void appendLines(std::string_view lines);
    // The same for lines gathered in a buffer of their own: an empty text takes the buffer and
    // its index themselves. Changes nothing when it raises.
    void appendLines(IndexedLines&& lines);

private:
    bool endsWithBreak() const noexcept;
    bool countsBytes() const noexcept { return FEncoding == TextEncoding::Cp1252; }
    void appended(std::size_t from);

    TextBuffer FText;
    TextEncoding FEncoding;
    RowIndex FRows;
    CharIndex FChars; // of a UTF-8 text only
};
