// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result lines of a run as it finds them: ">line,column:word" and CR LF for each occurrence,
// written straight into the buffer that the result list then takes whole (TextModel::appendLines),
// so that a result costs its bytes once; its row is indexed as it is written. The line being
// searched is kept for a progress display, which may read it from another thread while the run goes
// on.

#include "text/occurrence_map.h"
#include "text/search.h"
#include "text/text_model.h"

#include <atomic>
#include <cstdint>

class ResultLines : public SearchSink {
public:
    // mapLines: the lines of the text searched, over which the lines found are mapped (map());
    // 0 for no map.
    explicit ResultLines(int64_t mapLines = 0) : FMap(mapLines) {}

    // A line is written whole or not at all: when memory runs out half way, nothing of it stays.
    void found(int64_t line, int64_t column, std::string_view word) override;
    void progress(int64_t currentLine) override;

    // The line the run has reached: its last progress.
    int64_t currentLine() const noexcept { return FCurrentLine.load(std::memory_order_relaxed); }
    std::int64_t count() const noexcept { return FCount; }
    std::string_view text() const noexcept { return FLines.text.view(); }
    // Where the occurrences found lie among the lines of the text searched.
    const OccurrenceMap& map() const noexcept { return FMap; }
    // Hands the lines and their index over; the sink is then empty.
    IndexedLines take();

private:
    IndexedLines FLines;
    OccurrenceMap FMap;
    std::int64_t FCount = 0;
    std::atomic<int64_t> FCurrentLine{0};
};
