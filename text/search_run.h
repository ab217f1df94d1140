// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One search run over a file, from its open to its close: the file named by path is opened
// (shared with readers only), the byte-order mark of a UTF-8 source is skipped (it is no
// character of the text), every line is searched (search.h), and the file is closed on every
// path. The window's Exec. and every benchmark run a search through here.

#include "text/encoding.h"

#include <cstdint>
#include <string>
#include <string_view>

class SearchSink;
class TextReader;

struct SearchRequest {
    std::string path;
    std::string_view pattern; // bytes in encoding; empty when encoding cannot hold the string
    int32_t resumeStep = 0;   // ResumeStep(pattern)
    TextEncoding encoding = TextEncoding::Cp1252;
};

// Searches the file with reader (tests pass one that fails on purpose). currentLine counts the
// lines read. A failed open raises EInOutError and leaves the reader closed; a failure after the
// open closes the reader, silently, and raises the failure, the occurrences of the lines before
// it having reached sink; a failed close after a complete run raises its EInOutError.
void RunSearch(const SearchRequest& request, TextReader& reader, int64_t& currentLine,
               SearchSink& sink);
