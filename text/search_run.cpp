// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/search_run.h"

#include "text/errors.h"
#include "text/search.h"
#include "text/text_reader.h"

void RunSearch(const SearchRequest& request, TextReader& reader, int64_t& currentLine,
               SearchSink& sink) {
    reader.open(request.path);
    try {
        if (request.encoding == TextEncoding::Utf8)
            reader.skipByteOrderMark();
        SearchFile(reader, request.pattern, request.resumeStep, currentLine, sink,
                   request.encoding);
    } catch (...) {
        try {
            reader.close();
        } catch (const EError&) {
            // the first failure is the one reported
        }
        throw;
    }
    reader.close();
}
