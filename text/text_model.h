// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of a read-only text view: a document (text/text_document.h) and a selection. No Qt:
// the widget (widgets/text_view.h) paints and edits through it.
//
// Two kinds of offsets. The text-view operations (rowOffset, selStart, selLength, setSelStart,
// setSelLength) count characters, a CR LF counting two: for a Windows-1252 text a character is a
// byte, for a UTF-8 text it is a character of text/utf8.h. The widget works in bytes (rowStart,
// rowOfOffset, anchor, caret, setSelection), always at the start of a character.
//
// Rows and lines: the text is cut into rows at every CR LF pair, so a text ending with CR LF has
// an empty last row (where a caret can stand) that is not counted as a line.

#include "text/char_steps.h"
#include "text/encoding.h"
#include "text/memory_text.h"
#include "text/text_document.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TextModel {
public:
    static constexpr std::int64_t kDefaultCapacity = TextLimits().bytes;
    // The longest text, in characters, that line() returns of one line.
    static constexpr std::size_t kMaxLineLength = 4096;

    explicit TextModel(std::int64_t capacity = kDefaultCapacity);

    const TextLimits& limits() const noexcept { return FLimits; }
    std::int64_t capacity() const noexcept { return FLimits.bytes; }
    void setCapacity(std::int64_t capacity) noexcept { FLimits.bytes = capacity; }
    void setRowCapacity(std::int64_t rows) noexcept { FLimits.rows = rows; }
    void setLimits(const TextLimits& limits) noexcept { FLimits = limits; }

    // Replaces the text by the file's: every lone CR and lone LF reads as a CR LF, the text ends
    // at its first NUL, takes the file's encoding (text/encoding.h) and a byte-order mark is no
    // part of it. A regular file is read from its pages, which stay open with the text; a pipe
    // or a device is read into memory. Returns false (and changes nothing, selection included)
    // when the text and its encoding equal the current ones. Raises EFOpenError when the file
    // cannot be opened and EInvalidOperation beyond the limits; the text is then unchanged.
    bool loadFromFile(const std::string& path) { return adopt(readFile(path, FLimits)); }
    // The load in two steps, so that the file can be read on another thread while the model goes
    // on being shown: readFile reads it (raising EFOpenError) and touches no model; adopt takes
    // what was read (raising EInvalidOperation beyond the limits) and returns false when it
    // equals the current text.
    static OpenedText readFile(const std::string& path, const TextLimits& limits);
    bool adopt(OpenedText opened);

    // Writes the whole text to the file, created or emptied. Raises EFCreateError when it cannot be
    // created (no file changed) and EWriteError when it takes fewer bytes than the text holds.
    void saveToFile(const std::string& path) const;

    TextEncoding encoding() const noexcept { return FDocument->encoding(); }
    const TextDocument& document() const noexcept { return *FDocument; }
    // Whether the file shown was found rewritten since it was opened (text/text_document.h).
    bool changedAtSource() const noexcept { return FDocument->changedAtSource(); }
    bool recheckSource() { return FDocument->recheckSource(); }
    // Empties the text and reads what comes next in encoding (the result list takes its source's).
    void clear(TextEncoding encoding);
    void clear();

    // Lines: 0 for an empty text; a final CR LF opens no further line.
    int lineCount() const noexcept;
    // Line i without its line break, cut to kMaxLineLength characters; empty past the last line.
    std::string line(int i) const;

    // Appends s (up to its first NUL) as a line: after the text when it is empty or ends with
    // CR LF (s is then followed by CR LF), else after a CR LF. The caret ends after the text.
    void appendLine(std::string_view s);
    // Appends many lines at once, as appendLine would one by one. lines is whole lines, each
    // ending with CR LF and holding no other CR, LF or NUL (result lines are such lines).
    void appendLines(std::string_view lines);
    // The same for lines gathered in a buffer of their own: an empty text takes the buffer and
    // its index themselves, so that the lines are neither copied nor read again. Changes nothing
    // when it raises.
    void appendLines(IndexedLines&& lines);

    // The whole text (a copy: for tests and small texts).
    std::string text() const { return piece(0, size(), INT64_MAX); }
    // Bytes of the text.
    std::int64_t size() const noexcept { return FDocument->size(); }

    // Rows as the view shows them: at least 1, the last one empty when the text ends with CR LF.
    int rowCount() const noexcept { return int(FDocument->rowCount()); }
    // Byte offset at which row begins; 0 below the first row and the text length past the last.
    std::int64_t rowStart(int row) const;
    // Character offset at which row begins; 0 below the first row, the text's length in
    // characters past the last one.
    std::int64_t rowOffset(int row) const;
    // The row holding byte offset (clamped to the text).
    int rowOfOffset(std::int64_t offset) const;
    // Bytes of row without its line break, uncut; empty outside the rows.
    TextPiece rowText(int row) const;
    std::int64_t rowLength(int row) const;
    // Longest row in bytes (line break excluded).
    std::int64_t longestRow() const noexcept { return FDocument->longestRow(); }

    // Stepping by character at byte offsets, in the text's encoding (text/char_steps.h): where
    // the next character begins (offset < size()), where the one before begins (offset > 0), and
    // the class of the character at offset (< size()).
    std::int64_t nextChar(std::int64_t offset) const;
    std::int64_t previousChar(std::int64_t offset) const;
    CharClass classAt(std::int64_t offset) const;
    // Whether a CR LF pair begins at offset.
    bool pairAt(std::int64_t offset) const;
    // The bytes [from, to) (clamped to the text), cut to their first maxChars characters.
    std::string piece(std::int64_t from, std::int64_t to, std::int64_t maxChars) const;

    // Characters and bytes: the characters before a byte offset, and where a character begins
    // (the text's size past the last one). Both clamp to the text.
    std::int64_t charOffset(std::int64_t byteOffset) const;
    std::int64_t byteOffset(std::int64_t charOffset) const;

    // Selection in bytes: an anchor and a caret, both in [0, size()], kept exactly as set
    // (clamped to the text), also between the CR and the LF of a pair.
    std::int64_t anchor() const noexcept { return FAnchor; }
    std::int64_t caret() const noexcept { return FCaret; }
    void setSelection(std::int64_t anchor, std::int64_t caret) noexcept;
    // Selection in characters.
    std::int64_t selStart() const;
    std::int64_t selLength() const;
    // Collapses the selection to a caret at character offset.
    void setSelStart(std::int64_t offset);
    // Extends the selection from selStart() by length characters; the caret goes to its end.
    void setSelLength(std::int64_t length);
    // The selected bytes, and how many they are.
    std::string selectedText() const;
    std::int64_t selectionSize() const noexcept {
        return std::max(FAnchor, FCaret) - std::min(FAnchor, FCaret);
    }
    // Row in which the selection ends, that is the caret's row.
    int caretRow() const { return rowOfOffset(FCaret); }

private:
    // Where an offset stands: its row, where the row begins and its length.
    struct Place {
        std::int64_t row = 0;
        std::int64_t start = 0;
        std::int64_t length = 0;
    };
    Place placeOf(std::int64_t offset) const;
    MemoryText& memory();
    std::int64_t clampOffset(std::int64_t offset) const noexcept;
    void appended();

    TextLimits FLimits;
    std::unique_ptr<TextDocument> FDocument;
    std::int64_t FAnchor = 0;
    std::int64_t FCaret = 0;
};
