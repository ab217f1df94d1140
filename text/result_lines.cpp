// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/result_lines.h"

#include "text/word.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Every kAskEvery bytes written, the pages of the lines are faulted in ahead of the writer, as far
// as it has written already and at most kFaultAhead: a run of a few results starts no thread.
constexpr std::size_t kAskEvery = std::size_t(1) << 20;
constexpr std::size_t kFaultAhead = std::size_t(8) << 20;

} // namespace

void ResultLines::found(int64_t line, int64_t column, std::string_view word) {
    const std::size_t room = MaxResultLineLength(word) + kCrLf.size();
    TextBuffer& text = FLines.text;
    const std::size_t before = text.size();
    if (before % kAskEvery < room)
        text.expect(std::min(before, kFaultAhead));
    char* at = text.extend(room);
    char* end = WriteResultLine(at, line, column, word);
    std::memcpy(end, kCrLf.data(), kCrLf.size());
    const auto lf = std::int64_t(end + 1 - text.data());
    try {
        FLines.rows.addBreak(lf);
    } catch (...) {
        text.truncate(before);
        throw;
    }
    text.truncate(std::size_t(lf + 1));
    ++FCount;
    FMap.add(line);
}

void ResultLines::progress(int64_t currentLine) {
    FCurrentLine.store(currentLine, std::memory_order_relaxed);
}

IndexedLines ResultLines::take() {
    FLines.text.stopFaulting();
    FCount = 0;
    return std::exchange(FLines, IndexedLines());
}
