// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one pass over a regular file that opening it in a text view takes: where its text begins
// (after a byte-order mark) and ends (at its first NUL), its encoding, its line breaks and its
// characters counted for every 64 KiB of the file, so that a row or a character is found later
// by reading at most one such block. No byte is kept.
//
// A break is a CR LF pair, a lone CR or a lone LF (the text view reads each as a CR LF); a lone
// one is a break of one byte, which the view's text widens by one.

#include "text/encoding.h"

#include <cstdint>
#include <vector>

struct BlockCounts {
    std::int64_t breaks = 0; // breaks whose first byte lies before the block
    std::int64_t lone = 0;   // lone breaks before the block
    std::int64_t chars = 0;  // UTF-8 characters (text/utf8.h) that begin before the block, from
                             // the text's start
};

struct TextScan {
    static constexpr std::int64_t kBlock = std::int64_t(1) << 16;

    std::int64_t start = 0; // the text's first byte: 3 after a byte-order mark
    std::int64_t end = 0;   // after its last: the first NUL, or the bytes read
    bool cutAtNul = false;
    TextEncoding encoding = TextEncoding::Cp1252;
    BlockCounts total;               // over the whole text
    std::int64_t longest = 0;        // the longest row, break excluded
    std::vector<BlockCounts> blocks; // blocks[k]: before byte k * kBlock of the file
};

// Files from this size on are scanned in two halves at once, on two threads.
inline constexpr std::int64_t kTwoPartScan = std::int64_t(64) << 20;

// Reads fd, a regular file of size bytes, from its start to size.
TextScan ScanText(int fd, std::int64_t size, std::int64_t twoPartSize = kTwoPartScan);
