// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of a regular file read from the file's pages (text/file_pages.h) as it is shown: the
// open scans the file once (text/text_scan.h) and keeps no byte of it.
//
// The text is the file's bytes from its start (after a byte-order mark) to its first NUL, each
// lone CR and lone LF read as a CR LF. A row of the text is therefore a run of the file's bytes
// between two breaks, and a text offset is the file offset of the same byte plus the lone
// breaks before it (each widened by one) minus the mark. Finding a row or a character reads at
// most one 64 KiB block of the file beyond the rows read last.
//
// A file rewritten in place after the open no longer matches the counts of its scan: the text
// then reads whatever the pages hold, its rows still ending at breaks and never longer than the
// longest one scanned, and changedAtSource() tells it.

#include "text/file_pages.h"
#include "text/text_document.h"
#include "text/text_scan.h"

#include <optional>

class PagedText final : public TextDocument {
public:
    // Scans file. None when the file is no regular file with bytes, or when a row is longer than
    // limits.pagedRow and the text fits in memory: the file is then rewound, to be read there. A
    // text of more rows than limits.rows, or beyond memory with a row longer than limits.longRow,
    // is refused (beyondCapacity), its encoding told all the same. file stays with a text that
    // is made, its reader's share given up.
    static std::optional<OpenedText> open(FileHandle& file, const TextLimits& limits);

    PagedText(FilePages pages, TextScan scan);

    TextEncoding encoding() const noexcept override { return FScan.encoding; }
    std::int64_t size() const noexcept override { return FSize; }
    std::int64_t rowCount() const noexcept override { return FScan.total.breaks + 1; }
    std::int64_t rowStart(std::int64_t row) const override;
    std::int64_t rowLength(std::int64_t row) const override;
    TextPiece rowBytes(std::int64_t row) const override;
    std::int64_t rowOf(std::int64_t offset) const override;
    std::int64_t longestRow() const noexcept override { return FScan.longest; }
    std::int64_t charsBefore(std::int64_t offset) const override;
    std::int64_t offsetOfChar(std::int64_t chars) const override;
    bool changedAtSource() const noexcept override { return FPages.changed(); }
    bool recheckSource() override;

    // Both texts are of the same file, which neither saw change.
    bool sameUnchangedFile(const PagedText& other) const {
        return FPages.sameUnchangedFile(other.FPages);
    }

private:
    // A row found in the file: its number, where it begins in the file, the lone breaks before
    // it and its length (-1 until measured).
    struct Place {
        std::int64_t row = -1;
        std::int64_t raw = 0;
        std::int64_t lone = 0;
        std::int64_t length = -1;
    };

    // A break after a place in a row: where it begins, its bytes (0: the text ends first) and
    // whether it is lone.
    struct Break {
        std::int64_t at = 0;
        int size = 0;
        bool lone = false;
    };

    const Place& locate(std::int64_t row) const;
    Break nextBreak(std::int64_t raw) const;
    bool splitsPair(std::int64_t raw) const;
    std::int64_t offsetOf(std::int64_t raw, std::int64_t lone) const noexcept {
        return raw - FScan.start + lone;
    }
    std::int64_t findBreak(std::int64_t from, std::int64_t limit) const;
    std::int64_t blockStart(std::int64_t block) const noexcept;
    std::int64_t charsBeforeRaw(std::int64_t raw) const;
    bool afterAscii(std::int64_t raw) const;
    std::int64_t charsBeforeBlock(std::int64_t block) const noexcept;

    FilePages FPages;
    TextScan FScan;
    std::int64_t FSize;
    mutable Place FCursor; // the row found last, where lookups nearby start
    mutable std::int64_t FPieceRow = -1;
    mutable TextPiece FPiece; // the bytes of row FPieceRow
};
