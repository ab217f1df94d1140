// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a search over a file as the window's Exec. does, without the window: the same run
// (text/search_run.h) writing the same result lines (text/result_lines.h).
//     search_file FILE PATTERN [utf8]
// PATTERN is bytes in the file's encoding: Windows-1252 unless "utf8" is given. Prints the number
// of results, the number of lines read and the bytes of the result lines.

#include "text/errors.h"
#include "text/result_lines.h"
#include "text/search.h"
#include "text/search_run.h"
#include "text/text_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: search_file FILE PATTERN [utf8]\n");
        return 2;
    }
    const std::string pattern = argv[2];
    const TextEncoding encoding =
        argc == 4 && std::strcmp(argv[3], "utf8") == 0 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    ResultLines results;
    int64_t currentLine = 0;
    try {
        TextReader reader;
        RunSearch({argv[1], pattern, ResumeStep(pattern), encoding}, reader, currentLine, results);
    } catch (const EError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("results %lld lines %lld bytes %zu\n", (long long)results.count(),
                (long long)currentLine, results.text().size());
    return 0;
}
