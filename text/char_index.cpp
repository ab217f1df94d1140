// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/char_index.h"

#include "text/utf8.h"

#include <algorithm>

namespace {

// The characters that begin in [begin, end) of text, whatever begin is.
std::int64_t StartsIn(std::string_view text, std::int64_t begin, std::int64_t end) {
    if (begin >= end)
        return 0;
    const char* first = text.data() + begin;
    return CountChars(first, text.data() + end) - (IsCharStart(text, std::size_t(begin)) ? 0 : 1);
}

} // namespace

void CharIndex::forgetFrom(std::int64_t from) {
    FBefore.resize(
        std::size_t(std::min<std::int64_t>(std::int64_t(FBefore.size()), from / kBlock + 1)));
}

void CharIndex::countUpTo(std::string_view text, std::int64_t block) const {
    for (auto b = std::int64_t(FBefore.size()) - 1; b < block; ++b) {
        const std::int64_t begin = b * kBlock;
        const std::int64_t end = std::min(begin + kBlock, std::int64_t(text.size()));
        FBefore.push_back(FBefore.back() + StartsIn(text, begin, end));
    }
}

std::int64_t CharIndex::charsBefore(std::string_view text, std::int64_t offset) const {
    const std::int64_t block = offset / kBlock;
    countUpTo(text, block);
    return FBefore[std::size_t(block)] + StartsIn(text, block * kBlock, offset);
}

std::int64_t CharIndex::byteOffset(std::string_view text, std::int64_t chars) const {
    const auto size = std::int64_t(text.size());
    const std::int64_t lastBlock = size / kBlock;
    // Count blocks until one holds the character (or the text ends).
    while (FBefore.back() <= chars && std::int64_t(FBefore.size()) - 1 < lastBlock)
        countUpTo(text, std::int64_t(FBefore.size()));
    const auto after = std::upper_bound(FBefore.begin(), FBefore.end(), chars);
    const auto block = std::int64_t(after - FBefore.begin()) - 1;
    std::int64_t at = block * kBlock;
    std::int64_t left = chars - FBefore[std::size_t(block)];
    // The block may begin inside a character: its first start counts as the first character.
    while (at < size && !IsCharStart(text, std::size_t(at)))
        ++at;
    const char* found = AdvanceChars(text.data() + at, text.data() + size, left);
    return found - text.data();
}
