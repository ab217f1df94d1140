// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/byte_source.h"

#include "text/aligned_buffer.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::int64_t RegularSize(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return std::int64_t(info.st_size);
}

} // namespace

ByteSource::ByteSource(int fd, int waitMs, ReadFunction read)
    : FFd(fd), FWaitMs(waitMs), FRead(std::move(read)), FSize(RegularSize(fd)) {}

std::size_t ByteSource::blockSize() const noexcept {
    if (FSize < 0 || FSize >= std::int64_t(kBlock))
        return kBlock;
    const std::size_t page = AlignedBuffer::kAlignment;
    return (std::size_t(FSize) + page) / page * page;
}

ByteSource::Read ByteSource::read(char* into, std::size_t count) {
    for (;;) {
        const ssize_t got = FRead ? FRead(FFd, into, count) : ::read(FFd, into, count);
        if (got >= 0) {
            FDelivered += got;
            return {std::size_t(got), 0, false};
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return {0, errno, false};
        if (!WaitForBytes(FFd, FWaitMs))
            return {0, 0, true};
    }
}
