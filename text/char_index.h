// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Character offsets of a UTF-8 text (text/utf8.h): the number of characters before every 64 KiB
// block, counted as far as a lookup needs, so that converting an offset reads at most one block.

#include <cstdint>
#include <string_view>
#include <vector>

class CharIndex {
public:
    static constexpr std::int64_t kBlock = std::int64_t(1) << 16;

    // Forgets what was counted from byte offset from on (the text changed there).
    void forgetFrom(std::int64_t from);
    // The characters that begin before byte offset (0 <= offset <= text.size()).
    std::int64_t charsBefore(std::string_view text, std::int64_t offset) const;
    // Where the character at character offset chars begins; the text's size past the last one.
    std::int64_t byteOffset(std::string_view text, std::int64_t chars) const;

private:
    void countUpTo(std::string_view text, std::int64_t block) const;

    mutable std::vector<std::int64_t> FBefore{0}; // FBefore[b]: characters before block b
};
