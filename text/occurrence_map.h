// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the occurrences of a run lie in a text of a known number of lines: the lines are cut into
// at most kParts parts of a power of two lines each, and a part is set when one of its lines holds
// an occurrence. Setting one costs a shift and an OR, so a run gathers the map as it finds.

#include <algorithm>
#include <array>
#include <cstdint>

class OccurrenceMap {
public:
    static constexpr int kParts = 1024;

    // A map of no lines, where nothing is set.
    OccurrenceMap() = default;
    explicit OccurrenceMap(int64_t lines) : FLines(std::max<int64_t>(lines, 0)) {
        while (((FLines - 1) >> FShift) >= kParts)
            ++FShift;
        FLastPart = FLines == 0 ? 0 : uint64_t(FLines - 1) >> FShift;
        FEnabled = FLines == 0 ? 0 : ~uint64_t(0);
    }

    // Line (from 1) holds an occurrence. A line past the last one (a text changed since it was
    // counted) counts in the last part; nothing is set in a map of no lines.
    void add(int64_t line) noexcept {
        const uint64_t part = std::min(uint64_t(line - 1) >> FShift, FLastPart);
        FBits[part >> 6] |= (uint64_t(1) << (part & 63)) & FEnabled;
    }

    int64_t lines() const noexcept { return FLines; }
    // Parts in use, and the lines of one: [firstLine(part), firstLine(part) + partLines()), from 0.
    int parts() const noexcept { return FLines == 0 ? 0 : int(FLastPart + 1); }
    int64_t partLines() const noexcept { return int64_t(1) << FShift; }
    int64_t firstLine(int part) const noexcept { return int64_t(part) << FShift; }
    bool holds(int part) const noexcept { return (FBits[size_t(part) >> 6] >> (part & 63)) & 1; }
    bool empty() const noexcept {
        return std::all_of(FBits.begin(), FBits.end(), [](uint64_t bits) { return bits == 0; });
    }

private:
    int64_t FLines = 0;
    int FShift = 0;
    uint64_t FLastPart = 0;
    uint64_t FEnabled = 0;
    std::array<uint64_t, kParts / 64> FBits{};
};
