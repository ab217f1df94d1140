// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a whole file into memory as the text of a text view (a pipe, a device, or a file whose
// rows are too long to be read from its pages: text/paged_text.h), in one pass over blocks that
// stay in the processor's cache: every lone CR and lone LF made a CR LF, the text cut at its first
// NUL, without a byte-order mark, its encoding decided and its rows indexed on the way. The pages
// of a text are faulted in ahead of it by a second thread (text_buffer.h), which ends before the
// load returns or raises.

#include "text/byte_source.h"
#include "text/encoding.h"
#include "text/file_handle.h"
#include "text/row_index.h"
#include "text/text_buffer.h"

#include <cstdint>
#include <string>

struct LoadedText {
    TextBuffer text;
    TextEncoding encoding = TextEncoding::Cp1252;
    RowIndex rows;
    bool cutAtNul = false;
    // The text exceeded the capacity: the text is empty, the encoding is the file's all the same.
    bool beyondCapacity = false;
};

// Reads the open file fd from its current position to its end. A failed read ends the data, and
// so does a pipe or a device that sends nothing for waitMs milliseconds. A text beyond capacity
// bytes is dropped at once (beyondCapacity), and so is one from a pipe or a device (which may
// never end) past capacity bytes read; a regular file is then read on only to decide its
// encoding, no further than the size it had when the load began, another source no further.
LoadedText LoadText(int fd, std::int64_t capacity, const ReadFunction& read = {},
                    int waitMs = kSourceWaitMs);
