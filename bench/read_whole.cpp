// SPDX-License-Identifier: GPL-3.0-or-later
// The reference of the cold open: read_whole FILE reads the whole file with read() into memory
// that malloc has just handed out, in this fresh process, and prints "seconds bytes". The time
// runs from the open to the last read; the pages of the buffer are the process's first touch of
// them, as the text of a load is.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_whole FILE\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const int fd = open(argv[1], O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = std::size_t(info.st_size);
    char* data = static_cast<char*>(std::malloc(size + 1));
    if (!data) {
        std::fprintf(stderr, "out of memory\n");
        return 1;
    }
    std::size_t done = 0;
    for (ssize_t got = 0; done <= size; done += std::size_t(got)) {
        got = read(fd, data + done, size + 1 - done);
        if (got <= 0)
            break;
    }
    close(fd);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %zu\n", seconds, done);
    std::free(data);
    return 0;
}
