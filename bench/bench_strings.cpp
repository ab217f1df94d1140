// SPDX-License-Identifier: GPL-3.0-or-later
// FindFrom and SplitLines on the corpus, each beside a plain reference timed in the same run:
// memmem for the search of every occurrence line by line, a memchr loop for the split.
// bench_strings CORPUS
#include "text/line_list.h"
#include "text/strings.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> ReferenceSplit(const std::string& text) {
    std::vector<std::string> lines;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* stop = lf ? lf : end;
        lines.emplace_back(p, stop - (stop > p && stop[-1] == '\r' ? 1 : 0) - p);
        p = lf ? lf + 1 : end;
    }
    return lines;
}

long long CountWithFindFrom(const LineList& lines, const std::string& word) {
    long long count = 0;
    for (const std::string& line : lines)
        for (long long at = FindFrom(word, line, 1); at != 0; at = FindFrom(word, line, at + 1))
            ++count;
    return count;
}

long long CountWithMemmem(const LineList& lines, const std::string& word) {
    long long count = 0;
    for (const std::string& line : lines) {
        const char* p = line.data();
        const char* const end = p + line.size();
        while (const void* hit = memmem(p, end - p, word.data(), word.size())) {
            ++count;
            p = static_cast<const char*>(hit) + 1;
        }
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_strings CORPUS\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string corpus = buffer.str();

    LineList lines;
    std::vector<std::string> reference;
    const double split = Seconds([&] { lines = SplitLines(corpus); });
    const double splitRef = Seconds([&] { reference = ReferenceSplit(corpus); });
    std::printf("SplitLines  %lld lines  %.3f s  memchr split %.3f s  ratio %.2f\n", lines.count(),
                split, splitRef, split / splitRef);

    for (const std::string word : {"de", "maison", "surprise-partie", "zzz"}) {
        long long found = 0, expected = 0;
        const double find = Seconds([&] { found = CountWithFindFrom(lines, word); });
        const double ref = Seconds([&] { expected = CountWithMemmem(lines, word); });
        std::printf("FindFrom %-16s %9lld hits  %.3f s  memmem %.3f s  ratio %.2f%s\n",
                    word.c_str(), found, find, ref, find / ref,
                    found == expected ? "" : "  MISMATCH");
        if (found != expected)
            return 1;
    }
    return 0;
}
