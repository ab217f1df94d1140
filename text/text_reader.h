// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads one text file sequentially, one text line at a time.
//
// Line rules: LF ends a line; CR LF ends a line; every other CR is dropped from the line; the
// first end-of-file mark (byte 26) ends the file wherever it stands and is never consumed; NUL is
// an ordinary byte. A failed operation raises EInOutError with the platform code of its failure:
// 104 when reading or testing the end of a reader that is not open, 103 when closing one.
//
// The reader also offers its buffer block by block, for the search engine (search.h), which
// applies the same rules to whole blocks at a time.

#include "text/aligned_buffer.h"
#include "text/byte_source.h"
#include "text/file_handle.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

// What a reader takes from a source that is not a regular file (a pipe, a device), which may never
// end or never speak: at most maxBytes in all, and at most waitMs without a byte. Past either the
// reader raises EInvalidOperation, so that a search ends with a message instead of reading forever.
struct SourceLimits {
    static constexpr long long kMaxBytes = 256LL
                                           << 20; // a line of it is held whole: well under 1 GiB
    long long maxBytes = kMaxBytes;
    int waitMs = kSourceWaitMs;
};

class TextReader {
public:
    // Blocks of this size stay in the processor's second-level cache while they are searched.
    static constexpr size_t kDefaultBufferSize = ByteSource::kBlock;

    // bufferSize: the size of each read from the file (small sizes are for tests).
    explicit TextReader(size_t bufferSize = kDefaultBufferSize, SourceLimits limits = {});
    virtual ~TextReader() = default;
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Opens an existing file for reading, shared with readers only. A reader that is already
    // open is closed first, silently.
    void open(const std::string& fileName);
    // True at the end of the data or before an end-of-file mark; consumes nothing.
    bool atEnd();
    // The next text line, without its line break; empty at the end of the file.
    std::string readLine();
    // The same, into line, whose capacity is reused from one line to the next.
    void readLine(std::string& line);
    // Closes the file; the reader is closed even when the system's close fails.
    void close();
    // Skips a UTF-8 byte-order mark that stands at the reader's place (the start of a file):
    // it is no character of the text. Raises EInOutError.
    void skipByteOrderMark();
    bool isOpen() const noexcept { return FFile.isOpen(); }

    // Block access. The unread bytes held in the buffer, raw (line breaks and marks included).
    std::string_view unread() const noexcept { return {FBuffer.data() + FPos, FLen - FPos}; }
    // Reads more of the file after the unread bytes, growing the buffer when they fill it.
    // False when no byte came (end of the data). Raises EInOutError.
    bool readMore();
    // Marks the first count unread bytes as taken.
    void skip(size_t count) noexcept { FPos += count; }

protected:
    // One read of the file; returns what read(2) returns. Tests override it to inject failures.
    virtual ssize_t readFile(int fd, char* destination, size_t count);

private:
    bool fill();
    bool readAtHead();
    void keepUnreadBeforeHead();
    void requireOpen() const;

    std::string FFileName;
    FileHandle FFile;
    const SourceLimits FLimits;
    std::optional<ByteSource> FSource; // while open
    // Reads land at FHead, a page boundary; unread bytes kept for the next read go just before it.
    AlignedBuffer FBuffer;
    size_t FHead = 0;
    size_t FBufferSize;
    size_t FPos = 0;
    size_t FLen = 0;
    bool FEndOfData = false;
};
