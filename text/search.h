#pragma once
// The search run over a text file: every occurrence of a byte string in every line that a
// TextReader reads, overlapping occurrences included, reported in file order.

#include <cstdint>
#include <string_view>

class TextReader;

// Receives the occurrences of one search.
class SearchSink {
public:
    virtual ~SearchSink() = default;
    // One occurrence: 1-based line and column, and the word around its first character.
    // Called in file order. The word view is valid during the call only.
    virtual void found(int32_t line, int32_t column, std::string_view word) = 0;
    // The number of the line being searched; called at least once per block of input (about
    // 1 MiB), always before the first occurrence of a line is found, and with the final count.
    virtual void progress(int32_t currentLine) = 0;
};

// The distance from the start of s to the next place where its first character recurs: k - 1
// for the first 1-based position k >= 2 at which s[1] recurs, otherwise the length of s.
// No occurrence of s can begin strictly between an occurrence p and p + ResumeStep(s).
int32_t ResumeStep(std::string_view s);

// Searches one text line: the first occurrence at or after offset 1, then from each occurrence
// p at or after p + step, and so on; each found occurrence is reported with lineNumber.
void SearchLine(std::string_view line, std::string_view s, int32_t step, int32_t lineNumber,
                SearchSink& sink);

// Searches every line left in an open reader, with the same outcome as
//     while (!reader.atEnd()) { L = reader.readLine(); ++currentLine;
//                               sink.progress(currentLine); SearchLine(L, ...); }
// but a block at a time. currentLine counts the lines read, also when a read fails (the error
// propagates after the results of every line before the failure). The reader ends at the end
// of the file, as after the loop.
void SearchFile(TextReader& reader, std::string_view pattern, int32_t resumeStep,
                int32_t& currentLine, SearchSink& sink);
