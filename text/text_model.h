// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of a read-only text view: bytes in the text's encoding whose lines are separated by
// CR LF, an index of the rows, and a selection. No Qt: the widget (widgets/text_view.h) paints and
// edits through it.
//
// Two kinds of offsets. The text-view operations (rowOffset, selStart, selLength, setSelStart,
// setSelLength) count characters, a CR LF counting two: for a Windows-1252 text a character is a
// byte, for a UTF-8 text it is a character of text/utf8.h. The widget works in bytes (rowStart,
// rowOfOffset, anchor, caret, setSelection), always at the start of a character.
//
// Rows and lines: the text is cut into rows at every CR LF pair, so a text ending with CR LF has
// an empty last row (where a caret can stand) that is not counted as a line.

#include "text/char_index.h"
#include "text/char_steps.h"
#include "text/encoding.h"
#include "text/row_index.h"
#include "text/text_buffer.h"
#include "text/text_loader.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

// Lines with the index of their rows, as a writer that knows them hands them over.
struct IndexedLines {
    TextBuffer text;
    RowIndex rows;
};

class TextModel {
public:
    // The largest text a load accepts: 2 GiB. A larger one is refused with EInvalidOperation.
    static constexpr std::int64_t kDefaultCapacity = std::int64_t(1) << 31;
    // The longest text, in characters, that line() returns of one line.
    static constexpr std::size_t kMaxLineLength = 4096;

    explicit TextModel(std::int64_t capacity = kDefaultCapacity);

    std::int64_t capacity() const noexcept { return FCapacity; }
    void setCapacity(std::int64_t capacity) noexcept { FCapacity = capacity; }

    // Replaces the text by the file's bytes with every lone CR and lone LF made a CR LF, cut at
    // its first NUL, and takes the file's encoding (text/encoding.h; a byte-order mark is no part
    // of the text). Returns false (and changes nothing, selection included) when the text and its
    // encoding equal the current ones. Raises EFOpenError when the file cannot be opened and
    // EInvalidOperation when the text exceeds the capacity; the text is then unchanged. A read
    // failure after the open keeps the bytes read so far.
    bool loadFromFile(const std::string& path) { return adopt(readFile(path, FCapacity)); }
    // The load in two steps, so that the file can be read on another thread while the model goes
    // on being shown: readFile reads it (raising EFOpenError) and touches no model; adopt takes
    // what was read (raising EInvalidOperation for a text beyond the capacity) and returns false
    // when it equals the current text.
    static LoadedText readFile(const std::string& path, std::int64_t capacity);
    bool adopt(LoadedText loaded);

    // Writes the whole text to the file, created or emptied. Raises EFCreateError when it cannot be
    // created (no file changed) and EWriteError when it takes fewer bytes than the text holds.
    void saveToFile(const std::string& path) const;

    TextEncoding encoding() const noexcept { return FEncoding; }
    // Empties the text and reads what comes next in encoding (the result list takes its source's).
    void clear(TextEncoding encoding);

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
    void clear();

    std::string_view text() const noexcept { return FText.view(); }
    // Bytes of the text.
    std::int64_t size() const noexcept { return std::int64_t(FText.size()); }

    // Rows as the view shows them: at least 1, the last one empty when the text ends with CR LF.
    int rowCount() const noexcept { return int(FRows.count()); }
    // Byte offset at which row begins; 0 below the first row and the text length past the last.
    std::int64_t rowStart(int row) const noexcept;
    // Character offset at which row begins; 0 below the first row, the text's length in
    // characters past the last one.
    std::int64_t rowOffset(int row) const;
    // The row holding byte offset (clamped to the text).
    int rowOfOffset(std::int64_t offset) const noexcept;
    // Bytes of row without its line break, uncut.
    std::string_view rowText(int row) const noexcept;
    // Longest row in bytes (line break excluded).
    std::int64_t longestRow() const noexcept { return FRows.longest(size()); }

    // Stepping by character at byte offsets, in the text's encoding (text/char_steps.h): where
    // the next character begins (offset < size()), where the one before begins (offset > 0), and
    // the class of the character at offset (< size()).
    std::int64_t nextChar(std::int64_t offset) const noexcept;
    std::int64_t previousChar(std::int64_t offset) const noexcept;
    CharClass classAt(std::int64_t offset) const noexcept;
    // Whether a CR LF pair begins at offset.
    bool pairAt(std::int64_t offset) const noexcept;
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
    int caretRow() const noexcept { return rowOfOffset(FCaret); }

private:
    bool endsWithBreak() const noexcept;
    bool countsBytes() const noexcept { return FEncoding == TextEncoding::Cp1252; }
    std::int64_t clampOffset(std::int64_t offset) const noexcept;
    void appended(std::size_t from);

    std::int64_t FCapacity;
    TextBuffer FText;
    TextEncoding FEncoding = TextEncoding::Cp1252;
    RowIndex FRows;
    CharIndex FChars; // of a UTF-8 text only
    std::int64_t FAnchor = 0;
    std::int64_t FCaret = 0;
};
