// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes every lone CR and every lone LF of a text a CR LF, block by block: the line breaks of a
// text view. A CR at the end of a block waits for the next block to tell whether an LF follows.

#include <cstddef>

class BreakConverter {
public:
    // Room that convert() may read after a block, and write after what it returns.
    static constexpr std::size_t kSlack = 64;

    // Copies in[0, n) to out with its breaks converted; returns the end of what it wrote.
    // in[-1] and in[n, n + kSlack) are readable; out has room for 2 * n + 2 + kSlack bytes.
    char* convert(const char* in, std::size_t n, char* out) noexcept;
    // Ends the text: a CR that ended the last block becomes a CR LF. out has room for 2 bytes.
    char* finish(char* out) noexcept;

private:
    bool FPendingCr = false;
};
