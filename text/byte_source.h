// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An open file read from where it stands to its end, as both the load of a text view and the
// search's line reader read it: a regular file, whose data ends, or a pipe or a device, which may
// never end and may stay silent. A read that finds nothing yet waits, a while, for bytes.

#include "text/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <sys/types.h>

// One read of a file; returns what read(2) returns. Tests pass their own to change the file
// between reads or to make a read fail.
using ReadFunction = std::function<ssize_t(int fd, char* into, std::size_t count)>;

class ByteSource {
public:
    // Reads of this size stay in the processor's second-level cache.
    static constexpr std::size_t kBlock = std::size_t(1) << 18;

    // fd stays the caller's. waitMs: how long a pipe or a device may send nothing.
    explicit ByteSource(int fd, int waitMs = kSourceWaitMs, ReadFunction read = {});

    // The size of a regular file when the source was made, -1 for a pipe or a device.
    std::int64_t regularSize() const noexcept { return FSize; }
    bool regular() const noexcept { return FSize >= 0; }
    // Reads of a whole block, or of a small regular file at once (a multiple of a page either way).
    std::size_t blockSize() const noexcept;
    // The bytes that reads delivered so far.
    std::int64_t delivered() const noexcept { return FDelivered; }

    // The outcome of one read: bytes delivered (0 at the end of the data), or the errno of a
    // failure, or a source that stayed silent for waitMs.
    struct Read {
        std::size_t count = 0;
        int error = 0;
        bool silent = false;
    };
    Read read(char* into, std::size_t count);

private:
    int FFd;
    int FWaitMs;
    ReadFunction FRead;
    std::int64_t FSize;
    std::int64_t FDelivered = 0;
};
