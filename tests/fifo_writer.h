// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The writing end of a FIFO for a test's writer thread, opened without waiting for a reader.
// A reading end is held while the object lives: without it, a writer that wrote everything and
// closed before the reader opened would leave a pipe with no end open, whose bytes the kernel
// drops. Tests keep their data below the pipe's capacity (64 KiB), so the held end never makes
// the writer wait.

#include <fcntl.h>
#include <string>
#include <unistd.h>

class FifoWriter {
public:
    explicit FifoWriter(const std::string& fifo)
        : FKeeper(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK)),
          FWriter(::open(fifo.c_str(), O_WRONLY)) {}
    ~FifoWriter() { ::close(FKeeper); }
    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;

    // The writing end; the writer thread closes it when done.
    int fd() const { return FWriter; }

private:
    int FKeeper;
    int FWriter;
};
