// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/page_prefaulter.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <system_error>
#include <unistd.h>

namespace {

// Faulted in at a time: small enough that a writer that has caught up is soon passed again.
constexpr std::size_t kStep = std::size_t(1) << 20;

std::uintptr_t PageSize() {
    static const auto size = std::uintptr_t(sysconf(_SC_PAGESIZE));
    return size;
}

// Faults in the pages that hold [from, to) writable, without touching their bytes.
bool Populate(char* from, char* to) {
    const std::uintptr_t page = PageSize();
    const auto first = reinterpret_cast<std::uintptr_t>(from) & ~(page - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(to) + page - 1) & ~(page - 1);
    return madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE) == 0;
}

} // namespace

PagePrefaulter::PagePrefaulter(char* data, std::size_t size) : FData(data), FSize(size) {
    try {
        FThread = std::thread(&PagePrefaulter::run, this);
    } catch (const std::system_error&) {
        // No thread: the writer faults its pages itself.
    }
}

PagePrefaulter::~PagePrefaulter() {
    stop();
}

void PagePrefaulter::ask(std::size_t written, std::size_t wanted) {
    {
        const std::lock_guard lock(FMutex);
        FWritten = std::min(written, FSize);
        FWanted = std::min(wanted, FSize);
    }
    FWake.notify_one();
}

void PagePrefaulter::stop() noexcept {
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
    }
    FWake.notify_one();
    if (FThread.joinable())
        FThread.join();
}

void PagePrefaulter::run() noexcept {
    std::size_t done = 0; // faulted in up to here
    for (;;) {
        std::size_t from = 0;
        std::size_t to = 0;
        {
            std::unique_lock lock(FMutex);
            FWake.wait(lock, [&] { return FStop || FWanted > std::max(done, FWritten); });
            if (FStop)
                return;
            from = std::max(done, FWritten);
            to = std::min(FWanted, from + kStep);
        }
        if (!Populate(FData + from, FData + to))
            return; // an older kernel, or no memory left: the writer's touches fault the rest
        done = to;
    }
}
