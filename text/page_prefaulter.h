// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Faults in the pages of a buffer on a thread of its own, a little ahead of the thread that writes
// it. The kernel clears every fresh page at its first touch, which costs about as much as reading
// the file; done here, that work runs beside the writer's instead of inside it. Only page tables
// change, never a byte of the buffer, so the writer takes no lock to write it.

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

class PagePrefaulter {
public:
    // Starts the thread over [data, data + size). Where no thread can be started, or the system
    // cannot fault pages in on request, the writer's own touches fault every page, as without it.
    PagePrefaulter(char* data, std::size_t size);
    ~PagePrefaulter();
    PagePrefaulter(const PagePrefaulter&) = delete;
    PagePrefaulter& operator=(const PagePrefaulter&) = delete;

    // The writer has written [0, written) and will soon write up to wanted: the pages in between
    // are faulted in, those below written never (the writer's own touches have faulted them).
    void ask(std::size_t written, std::size_t wanted);
    // Returns once the thread has let go of the buffer, which may then be freed or moved.
    void stop() noexcept;

private:
    void run() noexcept;

    char* const FData;
    const std::size_t FSize;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::size_t FWritten = 0;
    std::size_t FWanted = 0;
    bool FStop = false;
    std::thread FThread;
};
