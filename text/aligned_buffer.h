// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A heap buffer that begins on a page boundary. Reads land in it at page offsets that the kernel
// copies at full speed (a destination a few bytes past a page boundary copies several times
// slower on some processors).

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

class AlignedBuffer {
public:
    static constexpr std::size_t kAlignment = 4096;

    AlignedBuffer() = default;
    explicit AlignedBuffer(std::size_t size)
        : FData(static_cast<char*>(std::aligned_alloc(kAlignment, RoundUp(size)))), FSize(size) {
        if (!FData)
            throw std::bad_alloc();
    }

    char* data() noexcept { return FData.get(); }
    const char* data() const noexcept { return FData.get(); }
    std::size_t size() const noexcept { return FSize; }

private:
    static std::size_t RoundUp(std::size_t size) {
        return (std::max<std::size_t>(size, 1) + kAlignment - 1) / kAlignment * kAlignment;
    }
    struct Free {
        void operator()(char* p) const noexcept { std::free(p); }
    };
    std::unique_ptr<char[], Free> FData;
    std::size_t FSize = 0;
};
