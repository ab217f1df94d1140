// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes of a text view's text and its rows, wherever they are kept: in memory (the result
// list, the text of a pipe or a device) or in the pages of the open file (text/paged_text.h).
//
// The text is in its encoding with CR LF line breaks; a row is the bytes between two breaks, so
// it holds no CR LF pair. Offsets are bytes of that text. The selection and the stepping by
// character are the model's (text/text_model.h), the same for every store.

#include "text/encoding.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string_view>

// Bytes of a text, with what keeps them alive: a piece read from a file's pages holds its page
// (or a copy) as long as the piece lives; a piece of memory text is only a view.
class TextPiece {
public:
    TextPiece() = default;
    explicit TextPiece(std::string_view bytes, std::shared_ptr<const void> hold = {}) noexcept
        : FHold(std::move(hold)), FBytes(bytes) {}

    std::string_view view() const noexcept { return FBytes; }
    std::size_t size() const noexcept { return FBytes.size(); }

private:
    std::shared_ptr<const void> FHold;
    std::string_view FBytes;
};

class TextDocument {
public:
    virtual ~TextDocument() = default;

    virtual TextEncoding encoding() const noexcept = 0;
    // Bytes of the text.
    virtual std::int64_t size() const noexcept = 0;
    // Rows: at least 1, the last one empty when the text ends with CR LF.
    virtual std::int64_t rowCount() const noexcept = 0;
    // Where row begins, and its bytes without the break (0 <= row < rowCount()).
    virtual std::int64_t rowStart(std::int64_t row) const = 0;
    virtual std::int64_t rowLength(std::int64_t row) const = 0;
    virtual TextPiece rowBytes(std::int64_t row) const = 0;
    // The row that holds offset (0 <= offset <= size()).
    virtual std::int64_t rowOf(std::int64_t offset) const = 0;
    // The longest row, break excluded.
    virtual std::int64_t longestRow() const noexcept = 0;
    // Characters (text/char_steps.h) that begin before offset, and where the character at a
    // character offset begins (size() past the last one). Both clamp to the text.
    virtual std::int64_t charsBefore(std::int64_t offset) const = 0;
    virtual std::int64_t offsetOfChar(std::int64_t chars) const = 0;
    // True once the text was found to have changed where it is kept since it was read (a file
    // rewritten in place): what it shows may then no longer be the file's text.
    virtual bool changedAtSource() const noexcept { return false; }
    // Looks again where the text is kept, and tells changedAtSource() after.
    virtual bool recheckSource() { return changedAtSource(); }
};

// What a load accepts.
struct TextLimits {
    // The largest text kept in memory (that of a pipe or a device, or of a file whose rows are
    // too long to be read from its pages): 2 GiB.
    std::int64_t bytes = std::int64_t(1) << 31;
    // The most rows of any text: as many as a row's int numbers.
    std::int64_t rows = INT_MAX;
    // A row is read whole to be painted. A file's text with a row longer than pagedRow is read
    // into memory, where the row is a view; one that memory cannot hold is read from the pages
    // all the same, each long row copied when read, up to rows of longRow.
    std::int64_t pagedRow = std::int64_t(1) << 20;
    std::int64_t longRow = std::int64_t(16) << 20;
    // Whether a regular file's text may be read from its pages (tests compare both ways).
    bool paged = true;
};

// A file read for a model, as readFile hands it to adopt.
struct OpenedText {
    std::unique_ptr<TextDocument> document; // none when beyond the limits
    TextEncoding encoding = TextEncoding::Cp1252;
    bool cutAtNul = false;
    bool beyondCapacity = false;
};
