// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ordered list of text lines with checked 0-based access, and the splitting of a string into
// one.

#include <string>
#include <string_view>
#include <vector>

class LineList {
public:
    long long count() const noexcept { return static_cast<long long>(FLines.size()); }
    bool empty() const noexcept { return FLines.empty(); }

    // Entry i; raises EStringListError unless 0 <= i < count().
    const std::string& at(long long i) const;
    const std::string& operator[](long long i) const { return at(i); }

    void add(std::string line) { FLines.push_back(std::move(line)); }

    auto begin() const noexcept { return FLines.begin(); }
    auto end() const noexcept { return FLines.end(); }

private:
    std::vector<std::string> FLines;
};

// The lines of text: CR LF, a lone CR and a lone LF each end one line (so LF CR ends two); a break
// at the very end adds no empty line; a NUL ends the whole text.
LineList SplitLines(std::string_view text);
