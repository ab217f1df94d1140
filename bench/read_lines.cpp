// Reads every line of a file with TextReader and prints the throughput (file bytes per second).
//     read_lines FILE

#include "text/errors.h"
#include "text/text_reader.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_lines FILE\n");
        return 2;
    }
    long long lines = 0;
    long long bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    try {
        TextReader reader;
        reader.open(argv[1]);
        while (!reader.atEnd()) {
            const std::string line = reader.readLine();
            ++lines;
            bytes += (long long)line.size();
        }
        reader.close();
    } catch (const EError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::error_code ec;
    const double fileBytes = double(std::filesystem::file_size(argv[1], ec));
    std::printf("lines %lld text_bytes %lld seconds %.3f GB/s %.2f\n", lines, bytes, seconds,
                fileBytes / seconds / 1e9);
    return 0;
}
