// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/search.h"

#include "text/byte_scan.h"
#include "text/pattern_finder.h"
#include "text/text_reader.h"
#include "text/utf8.h"
#include "text/word.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
constexpr char kEndOfFileMark = 26;

// A text line never holds these bytes, so a pattern with one of them is never found.
bool CanOccurInLine(std::string_view pattern) {
    return !pattern.empty() &&
           pattern.find_first_of(std::string_view("\n\r\x1A", 3)) == std::string_view::npos;
}

// Whether [from, lineEnd) holds a CR that no LF follows; the data runs on to end.
bool HasLoneCr(const char* from, const char* lineEnd, const char* end) {
    for (const char* p = from;; ++p) {
        p = static_cast<const char*>(std::memchr(p, kCr, size_t(lineEnd - p)));
        if (!p)
            return false;
        if (p + 1 == end || p[1] != kLf)
            return true;
    }
}

// The columns and words of the occurrences of one line, found from left to right. For UTF-8 the
// characters are counted from the previous occurrence on, so a line of many occurrences is read
// once.
class LinePlaces {
public:
    explicit LinePlaces(TextEncoding encoding) : FUtf8(encoding == TextEncoding::Utf8) {}

    void startLine(const char* lineStart) {
        FLineStart = FCountedTo = lineStart;
        FChars = 0;
        FWord = {};
    }
    const char* lineStart() const { return FLineStart; }

    int64_t column(const char* at) {
        if (!FUtf8)
            return int64_t(at - FLineStart) + 1;
        FChars += CountChars(FCountedTo, at);
        FCountedTo = at;
        return FChars + 1;
    }

    // Whether a match of size bytes at at, in text that runs on to end, ends where a character
    // ends: in a UTF-8 line an occurrence is whole characters, so a match followed by a
    // continuation byte of its last character is none. It always begins a character, since the
    // pattern is well-formed UTF-8: its first byte is no continuation byte.
    bool endsWholeChar(const char* at, size_t size, const char* end) const {
        return !FUtf8 || IsCharStart({at, size_t(end - at)}, size);
    }

    // text begins at the line's start and runs at least to the line's end. An occurrence inside
    // the word of the one before has that word: a word is the run of word characters around it.
    std::string_view word(std::string_view text, const char* at) {
        if (at >= FWord.data() && at < FWord.data() + FWord.size())
            return FWord;
        const auto index = size_t(at - FLineStart);
        FWord = FUtf8 ? Utf8WordViewAround(text, index) : WordViewAround(text, index + 1);
        return FWord;
    }

private:
    bool FUtf8;
    const char* FLineStart = nullptr;
    const char* FCountedTo = nullptr;
    int64_t FChars = 0;
    std::string_view FWord; // the last word found, in this line
};

// The search of the whole reader, block by block. A block is the complete lines held in the
// reader's buffer (up to its last LF), or at the end of the file everything before the end.
// Lines are the LF-separated pieces of the data before the first end-of-file mark; the last
// piece is a line when it holds any byte; a line's text is its piece without CR bytes.
class BlockSearch {
public:
    BlockSearch(TextReader& reader, std::string_view pattern, int32_t step, int64_t& currentLine,
                SearchSink& sink, TextEncoding encoding)
        : FReader(reader), FFinder(pattern), FPattern(pattern), FStep(std::max(step, 1)),
          FResume(std::min<size_t>(size_t(FStep), std::max<size_t>(pattern.size(), 1))),
          FCanMatch(CanOccurInLine(pattern)), FEncoding(encoding), FCurrentLine(currentLine),
          FSink(sink), FReported(currentLine) {}

    void run();

private:
    void searchBlock(const char* begin, const char* end, bool final);
    void countLines(const char* begin, const char* end, bool final, int64_t line);
    void searchExactLine(const char* begin, const char* end);
    void reportProgress(int64_t line);

    TextReader& FReader;
    const PatternFinder FFinder;
    const std::string_view FPattern;
    const int32_t FStep;
    const size_t FResume; // how far to move on after an occurrence: never past an occurrence
    const bool FCanMatch;
    const TextEncoding FEncoding;
    int64_t& FCurrentLine;
    SearchSink& FSink;
    int64_t FReported; // the last line number given to progress
};

void BlockSearch::reportProgress(int64_t line) {
    if (line != FReported) {
        FReported = line;
        FSink.progress(line);
    }
}

void BlockSearch::run() {
    if (FReader.atEnd()) // also raises when the reader is not open
        return;
    size_t markFree = 0; // leading unread bytes known to hold no end-of-file mark
    size_t lfFree = 0;   // leading unread bytes known to hold no LF
    for (;;) {
        const std::string_view data = FReader.unread();
        const char* begin = data.data();
        const char* end = begin + data.size();
        if (const void* mark =
                std::memchr(begin + markFree, kEndOfFileMark, data.size() - markFree)) {
            searchBlock(begin, static_cast<const char*>(mark), true);
            FReader.skip(size_t(static_cast<const char*>(mark) - begin)); // the mark stays unread
            reportProgress(FCurrentLine);
            return;
        }
        markFree = data.size();
        if (const char* lastLf = FindLastByte(begin + lfFree, end, kLf)) {
            const size_t taken = size_t(lastLf + 1 - begin);
            searchBlock(begin, lastLf + 1, false);
            FReader.skip(taken);
            markFree -= taken;
            reportProgress(FCurrentLine);
        }
        lfFree = FReader.unread().size();
        if (!FReader.readMore()) {
            const std::string_view rest = FReader.unread();
            searchBlock(rest.data(), rest.data() + rest.size(), true);
            FReader.skip(rest.size());
            reportProgress(FCurrentLine);
            return;
        }
    }
}

// [begin, end) ends after an LF, or is the last bytes of the file when final; it holds no
// end-of-file mark. One pass finds the occurrences and the lone CR bytes and counts the lines:
// in a line without a lone CR an occurrence in the raw bytes is an occurrence in the line, at the
// same column, since the pattern holds neither CR nor LF; a line with one (before or after its
// first occurrence) takes the exact path whole.
void BlockSearch::searchBlock(const char* begin, const char* end, bool final) {
    if (!FCanMatch) {
        countLines(begin, end, final, FCurrentLine + 1 + int64_t(CountByte(begin, end, kLf)));
        return;
    }
    int64_t line = FCurrentLine + 1; // the number of the line that holds p
    LinePlaces places(FEncoding);
    places.startLine(begin);
    const char* lastHit = nullptr;
    int64_t lastHitLine = 0;
    int64_t plainLine = 0; // a line known to hold no lone CR after its first occurrence
    for (const char* p = begin; p < end;) {
        const PatternFinder::Stop stop = FFinder.findStop(p, end);
        if (stop.lineFeeds > 0) {
            line += int64_t(stop.lineFeeds);
            places.startLine(FindLastByte(p, stop.at, kLf) + 1);
        }
        const char* at = stop.at;
        if (at == end)
            break;
        const void* lf = nullptr;
        if (line != plainLine) {
            lf = std::memchr(at, kLf, size_t(end - at));
            const char* lineEnd = lf ? static_cast<const char*>(lf) : end;
            if (!HasLoneCr(at, lineEnd, end)) {
                plainLine = line;
            } else { // the line holds a lone CR: all of it takes the exact path
                FCurrentLine = line - 1;
                searchExactLine(places.lineStart(), lineEnd);
                if (!lf)
                    return; // the file's last line, read whole
                p = lineEnd + 1;
                places.startLine(p);
                ++line;
                continue;
            }
        }
        // Passed over: a place closer than the step to the last occurrence (only for a step
        // beyond FResume), or a match that ends inside a character.
        if ((line == lastHitLine && at < lastHit + FStep) ||
            !places.endsWholeChar(at, FPattern.size(), end)) {
            p = at + 1;
            continue;
        }
        FCurrentLine = line;
        reportProgress(line);
        const std::string_view text(places.lineStart(), size_t(end - places.lineStart()));
        const int64_t column = places.column(at);
        FSink.found(line, column, places.word(text, at));
        lastHit = at;
        lastHitLine = line;
        p = at + FResume;
    }
    countLines(begin, end, final, line);
}

// Ends a block: line is the number of the line that holds its end.
void BlockSearch::countLines(const char* begin, const char* end, bool final, int64_t line) {
    const bool partialLast = final && end != begin && end[-1] != kLf;
    FCurrentLine = partialLast ? line : line - 1;
}

void BlockSearch::searchExactLine(const char* begin, const char* end) {
    std::string text;
    text.reserve(size_t(end - begin));
    std::remove_copy(begin, end, std::back_inserter(text), kCr);
    ++FCurrentLine;
    reportProgress(FCurrentLine);
    SearchLine(text, FPattern, FStep, FCurrentLine, FSink, FEncoding);
}

} // namespace

int32_t ResumeStep(std::string_view s) {
    if (s.empty())
        return 0;
    const size_t k = s.find(s[0], 1);
    return k == std::string_view::npos ? int32_t(s.size()) : int32_t(k);
}

void SearchLine(std::string_view line, std::string_view s, int32_t step, int64_t lineNumber,
                SearchSink& sink, TextEncoding encoding) {
    if (s.empty())
        return;
    const size_t advance = size_t(std::max(step, 1));
    LinePlaces places(encoding);
    places.startLine(line.data());
    const char* const end = line.data() + line.size();
    for (size_t at = line.find(s); at != std::string_view::npos;) {
        const char* hit = line.data() + at;
        const bool whole = places.endsWholeChar(hit, s.size(), end);
        if (whole)
            sink.found(lineNumber, places.column(hit), places.word(line, hit));
        at = line.find(s, at + (whole ? advance : 1));
    }
}

void SearchFile(TextReader& reader, std::string_view pattern, int32_t resumeStep,
                int64_t& currentLine, SearchSink& sink, TextEncoding encoding) {
    BlockSearch(reader, pattern, resumeStep, currentLine, sink, encoding).run();
}
