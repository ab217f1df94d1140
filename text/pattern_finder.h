// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finds a fixed byte string in a block. Candidates are the places where the two rarest bytes of
// the pattern (by their frequency in French text) both stand at their offsets, tested 32 places
// at a time; each candidate is then compared whole.

#include <cstddef>
#include <string>
#include <string_view>

class PatternFinder {
public:
    explicit PatternFinder(std::string_view pattern);

    // The first occurrence that lies wholly in [from, end), or end when there is none.
    const char* find(const char* from, const char* end) const;

    // Where a line search must stop: at the first occurrence that lies wholly in [from, end) or
    // at the first CR that no LF follows (a CR on the last byte included), whichever comes first,
    // or at end; with the number of LF bytes before that place. One pass over the bytes.
    struct Stop {
        const char* at;
        size_t lineFeeds;
    };
    Stop findStop(const char* from, const char* end) const;
    size_t size() const noexcept { return FPattern.size(); }

private:
    std::string FPattern;
    size_t FRare1 = 0; // offsets of the two rarest bytes
    size_t FRare2 = 0;
};
