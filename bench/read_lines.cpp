// SPDX-License-Identifier: GPL-3.0-or-later
// Reads every line of a file with TextReader and prints the throughput (file bytes per second),
// once with a new string per line and once reusing one string.
//     read_lines FILE

#include "text/errors.h"
#include "text/text_reader.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// Reads the whole file; returns the seconds taken. reuse: into one string, else a new string a
// line.
double ReadAll(const char* path, bool reuse, long long& lines, long long& bytes) {
    lines = bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    TextReader reader;
    reader.open(path);
    std::string line;
    while (!reader.atEnd()) {
        if (reuse)
            reader.readLine(line);
        else
            line = reader.readLine();
        ++lines;
        bytes += (long long)line.size();
    }
    reader.close();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_lines FILE\n");
        return 2;
    }
    std::error_code ec;
    const double fileBytes = double(std::filesystem::file_size(argv[1], ec));
    try {
        for (const bool reuse : {false, true}) {
            long long lines = 0, bytes = 0;
            const double seconds = ReadAll(argv[1], reuse, lines, bytes);
            std::printf("%s lines %lld text_bytes %lld seconds %.3f GB/s %.2f\n",
                        reuse ? "readLine(line)" : "readLine()", lines, bytes, seconds,
                        fileBytes / seconds / 1e9);
        }
    } catch (const EError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
