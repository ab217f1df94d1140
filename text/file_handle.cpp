// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/file_handle.h"

#include "text/system_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes an open-file-description lock over the whole file; false when another holds a
// conflicting one. A file system that keeps no locks shares its files like any other program.
bool Lock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0 || (errno != EAGAIN && errno != EACCES);
}

OpenResult Failure(int err, const std::string& path) {
    return {FileHandle(), PlatformErrorCode(err, path)};
}

} // namespace

std::size_t ReadAt(int fd, char* into, std::size_t count, std::int64_t offset) noexcept {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = pread(fd, into + got, count - got, off_t(offset) + off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += std::size_t(n);
    }
    return got;
}

void ReleaseShare(int fd) noexcept {
    Lock(fd, F_UNLCK);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        FFd = std::exchange(other.FFd, -1);
    }
    return *this;
}

FileHandle::~FileHandle() {
    close();
}

int FileHandle::close() noexcept {
    if (FFd < 0)
        return 0;
    const int result = ::close(std::exchange(FFd, -1));
    return result == 0 ? 0 : errno;
}

OpenResult OpenForReading(const std::string& path) {
    // Non-blocking, so that opening a FIFO does not wait for a writer to appear, nor a read from
    // it for a byte (a regular file always has its bytes).
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
        return Failure(errno, path);
    struct stat info {};
    if (fstat(file.fd(), &info) == 0 && S_ISDIR(info.st_mode))
        return Failure(EISDIR, path);
    if (!Lock(file.fd(), F_RDLCK))
        return {FileHandle(), kSharingViolation};
    return {std::move(file), 0};
}

OpenResult OpenForReplacing(const std::string& path) {
    // Looked at before it is opened: opening a FIFO or a device may wait or act on the device.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? OpenResult{} : Failure(errno, path);
    if (S_ISDIR(info.st_mode))
        return Failure(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        return {FileHandle(), kNotRegularFile};
    FileHandle file(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen())
        return Failure(errno, path);
    if (!IsRegularFile(file.fd())) // replaced in between
        return {FileHandle(), kNotRegularFile};
    if (!Lock(file.fd(), F_WRLCK))
        return {FileHandle(), kSharingViolation};
    return {std::move(file), 0};
}

OpenResult CreateForReplacing(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
    // A create misses only a folder, also the one that a dangling link names.
    if (!file.isOpen())
        return Failure(errno == ENOENT ? ENOTDIR : errno, path);
    if (!IsRegularFile(file.fd()))
        return {FileHandle(), kNotRegularFile};
    if (!Lock(file.fd(), F_WRLCK))
        return {FileHandle(), kSharingViolation};
    return {std::move(file), 0};
}

bool IsRegularFile(int fd) noexcept {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool WaitForBytes(int fd, int waitMs) noexcept {
    pollfd watched{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, waitMs);
        if (ready >= 0 || errno != EINTR)
            return ready > 0; // a poll that fails waits no more than one that times out
    }
}
