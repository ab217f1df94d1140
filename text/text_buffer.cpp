// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_buffer.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

// Address space asked for at first, halved until the system grants it: only pages that bytes
// reach cost memory, so a large range costs nothing more than a small one.
constexpr std::size_t kFirstReserve = std::size_t(1) << 40;
constexpr std::size_t kLeastReserve = std::size_t(64) << 20;
// Pages are made usable in steps of at least this, and of an eighth of what is there.
constexpr std::size_t kCommitStep = std::size_t(2) << 20;
// A buffer of this size or more has its pages faulted in ahead of its writer.
constexpr std::size_t kFaultAheadFrom = std::size_t(8) << 20;

std::size_t HalfThePhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0)
        return SIZE_MAX;
    return std::size_t(pages) / 2 * std::size_t(page);
}

std::atomic<std::size_t> gMemoryLimit{0}; // 0: not set yet

std::size_t RoundUp(std::size_t size, std::size_t step) {
    return (size + step - 1) / step * step;
}

char* Reserve(std::size_t& size) {
    for (std::size_t ask = std::max(size, kFirstReserve);; ask /= 2) {
        void* range =
            mmap(nullptr, ask, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (range != MAP_FAILED) {
            // 4 KiB pages: a huge page's clearing at its first touch stalls the writer far longer
            // than the faulting thread runs ahead of it.
            madvise(range, ask, MADV_NOHUGEPAGE);
            size = ask;
            return static_cast<char*>(range);
        }
        if (ask / 2 < std::max(size, kLeastReserve))
            throw std::bad_alloc();
    }
}

} // namespace

TextBuffer::TextBuffer(TextBuffer&& other) noexcept
    : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)),
      FCommitted(std::exchange(other.FCommitted, 0)), FReserved(std::exchange(other.FReserved, 0)),
      FPrefaulter(std::move(other.FPrefaulter)) {}

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
    if (this != &other) {
        release();
        FData = std::exchange(other.FData, nullptr);
        FSize = std::exchange(other.FSize, 0);
        FCommitted = std::exchange(other.FCommitted, 0);
        FReserved = std::exchange(other.FReserved, 0);
        FPrefaulter = std::move(other.FPrefaulter);
    }
    return *this;
}

TextBuffer::~TextBuffer() {
    release();
}

void TextBuffer::release() noexcept {
    stopFaulting();
    if (FData)
        munmap(FData, FReserved);
    FData = nullptr;
    FSize = FCommitted = FReserved = 0;
}

void TextBuffer::clear() noexcept {
    release();
}

void TextBuffer::stopFaulting() noexcept {
    FPrefaulter.reset();
}

// A range large enough for size bytes; the bytes there move only when an earlier range, smaller
// than the system first granted, runs out.
void TextBuffer::reserve(std::size_t size) {
    std::size_t granted = std::max(size, 2 * FReserved);
    char* range = Reserve(granted);
    if (FData) {
        if (mprotect(range, RoundUp(std::max(FSize, std::size_t(1)), kCommitStep),
                     PROT_READ | PROT_WRITE) != 0) {
            munmap(range, granted);
            throw std::bad_alloc();
        }
        std::memcpy(range, FData, FSize);
        const std::size_t kept = FSize;
        release();
        FSize = kept;
        FCommitted = RoundUp(std::max(kept, std::size_t(1)), kCommitStep);
    }
    FData = range;
    FReserved = granted;
}

void TextBuffer::commit(std::size_t size) {
    if (size <= FCommitted)
        return;
    if (size > FReserved)
        reserve(size);
    const std::size_t step = std::max(kCommitStep, FCommitted / 8);
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    // No further than the memory limit, so that every byte past it is refused.
    const std::size_t target =
        std::min({FReserved, RoundUp(std::max(size, FCommitted + step), kCommitStep),
                  RoundUp(std::max(size, std::min(memoryLimit(), SIZE_MAX / 2)), page)});
    if (mprotect(FData + FCommitted, target - FCommitted, PROT_READ | PROT_WRITE) != 0)
        throw std::bad_alloc();
    FCommitted = target;
}

std::size_t TextBuffer::memoryLimit() noexcept {
    std::size_t limit = gMemoryLimit.load(std::memory_order_relaxed);
    if (limit == 0) {
        limit = HalfThePhysicalMemory();
        gMemoryLimit.store(limit, std::memory_order_relaxed);
    }
    return limit;
}

void TextBuffer::setMemoryLimit(std::size_t bytes) noexcept {
    gMemoryLimit.store(std::max<std::size_t>(bytes, 1), std::memory_order_relaxed);
}

char* TextBuffer::extend(std::size_t count) {
    if (count > FReserved - FSize || FSize + count > FCommitted) {
        if (count > memoryLimit() || FSize > memoryLimit() - count)
            throw std::bad_alloc();
        commit(FSize + count);
    }
    char* at = FData + FSize;
    FSize += count;
    return at;
}

void TextBuffer::append(std::string_view bytes) {
    if (!bytes.empty())
        std::memcpy(extend(bytes.size()), bytes.data(), bytes.size());
}

void TextBuffer::truncate(std::size_t size) noexcept {
    FSize = std::min(size, FSize);
}

void TextBuffer::expect(std::size_t count) {
    const std::size_t wanted = FSize + count;
    if (wanted < kFaultAheadFrom)
        return;
    try {
        commit(wanted);
    } catch (const std::bad_alloc&) {
        return; // the writer's own extend() reports it, if it gets that far
    }
    if (!FPrefaulter)
        FPrefaulter = std::make_unique<PagePrefaulter>(FData, FReserved);
    FPrefaulter->ask(FSize, std::min(wanted, FCommitted));
}
