// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search run over a text file: every occurrence of a byte string in every line that a
// TextReader reads, overlapping occurrences included, reported in file order.
//
// The pattern is matched as bytes, in the source's encoding. For a UTF-8 source the pattern is
// well-formed UTF-8 and an occurrence is a sequence of whole characters (text/utf8.h): a match
// that ends inside a character (only a malformed one allows it) is none; the column counts
// characters and the word follows IsWordCodePoint. An empty pattern occurs nowhere: a search string
// that the source's encoding cannot hold is searched as one. Line and column numbers are 64-bit, so
// that they stay exact in files of any size.

#include "text/encoding.h"

#include <cstdint>
#include <string_view>

class TextReader;

// Receives the occurrences of one search.
class SearchSink {
public:
    virtual ~SearchSink() = default;
    // One occurrence: 1-based line and column, and the word around its first character.
    // Called in file order. The word view is valid during the call only.
    virtual void found(int64_t line, int64_t column, std::string_view word) = 0;
    // The number of the line being searched; called at least once per read of the reader, always
    // before the first occurrence of a line is found, and with the final count.
    virtual void progress(int64_t currentLine) = 0;
};

// The distance from the start of s to the next place where its first character recurs: k - 1
// for the first 1-based position k >= 2 at which s[1] recurs, otherwise the length of s.
// No occurrence of s can begin strictly between an occurrence p and p + ResumeStep(s).
int32_t ResumeStep(std::string_view s);

// Searches one text line: the first occurrence at or after offset 1, then from each occurrence
// p at or after p + step, and so on; each found occurrence is reported with lineNumber.
void SearchLine(std::string_view line, std::string_view s, int32_t step, int64_t lineNumber,
                SearchSink& sink, TextEncoding encoding = TextEncoding::Cp1252);

// Searches every line left in an open reader, with the same outcome as
//     while (!reader.atEnd()) { L = reader.readLine(); ++currentLine;
//                               sink.progress(currentLine); SearchLine(L, ...); }
// but a block at a time. currentLine counts the lines read, also when a read fails (the error
// propagates after the results of every line before the failure). The reader ends at the end
// of the file, as after the loop.
void SearchFile(TextReader& reader, std::string_view pattern, int32_t resumeStep,
                int64_t& currentLine, SearchSink& sink,
                TextEncoding encoding = TextEncoding::Cp1252);
