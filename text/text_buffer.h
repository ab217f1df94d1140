// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bytes that grow at their end without ever being copied: a range of address space is reserved
// once, and pages of it are made usable as the bytes reach them, so data() never moves while the
// buffer grows. A writer that says how far it will write soon has the pages up to there faulted
// in ahead of it by a second thread (page_prefaulter.h), so that the kernel's clearing of fresh
// pages runs beside the writer instead of inside it. Fresh bytes are never cleared by the buffer
// itself: what extend() hands out is to be written before it is read.

#include "text/page_prefaulter.h"

#include <cstddef>
#include <memory>
#include <string_view>

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(TextBuffer&& other) noexcept;
    TextBuffer& operator=(TextBuffer&& other) noexcept;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer();

    char* data() noexcept { return FData; }
    const char* data() const noexcept { return FData; }
    std::size_t size() const noexcept { return FSize; }
    bool empty() const noexcept { return FSize == 0; }
    // Bytes from data() on that are usable memory (what may be resident).
    std::size_t committed() const noexcept { return FCommitted; }
    std::string_view view() const noexcept { return {FData, FSize}; }
    operator std::string_view() const noexcept { return view(); }

    // Makes the buffer count more bytes and returns where they begin; their content is undefined
    // until written. Raises std::bad_alloc when the system gives no more memory: the buffer is
    // then as it was.
    char* extend(std::size_t count);
    void append(std::string_view bytes);
    // Forgets the bytes from size on (size <= size()); the memory stays for the next ones.
    void truncate(std::size_t size) noexcept;
    // Empties the buffer and gives its memory back to the system.
    void clear() noexcept;

    // The most bytes one buffer may hold; extend() past it raises std::bad_alloc, so that a text
    // or a result list that would take the machine's memory is refused while the machine still
    // answers. Half of the physical memory unless set (tests lower it to exhaust memory on
    // purpose).
    static std::size_t memoryLimit() noexcept;
    static void setMemoryLimit(std::size_t bytes) noexcept;

    // The writer will write about count more bytes soon: their pages are faulted in ahead of it,
    // for a buffer of some megabytes or more (a small one is not worth a thread).
    void expect(std::size_t count);
    // Stops the faulting thread, if one runs (the destructor and clear() do it too).
    void stopFaulting() noexcept;

private:
    void commit(std::size_t size);
    void reserve(std::size_t size);
    void release() noexcept;

    char* FData = nullptr;
    std::size_t FSize = 0;
    std::size_t FCommitted = 0; // usable bytes from FData on
    std::size_t FReserved = 0;  // address space from FData on
    std::unique_ptr<PagePrefaulter> FPrefaulter;
};
