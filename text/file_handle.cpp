#include "text/file_handle.h"

#include "text/system_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes an open-file-description lock over the whole file; false when another holds a
// conflicting one.
bool Lock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Back to blocking reads and writes after an open that must not wait (a FIFO without a writer).
bool MakeBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

OpenResult Failure(int err, const std::string& path) {
    return {FileHandle(), PlatformErrorCode(err, path)};
}

} // namespace

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
    // Non-blocking, so that opening a FIFO does not wait for a writer to appear.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen() || !MakeBlocking(file.fd()))
        return Failure(errno, path);
    struct stat info {};
    if (fstat(file.fd(), &info) == 0 && S_ISDIR(info.st_mode))
        return Failure(EISDIR, path);
    if (!Lock(file.fd(), F_RDLCK))
        return {FileHandle(), kSharingViolation};
    return {std::move(file), 0};
}

OpenResult CreateExclusive(const std::string& path) {
    FileHandle file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!file.isOpen())
        return Failure(errno, path);
    if (!Lock(file.fd(), F_WRLCK))
        return {FileHandle(), kSharingViolation};
    struct stat info {};
    const bool regular = fstat(file.fd(), &info) == 0 && S_ISREG(info.st_mode);
    if (regular && ftruncate(file.fd(), 0) != 0)
        return Failure(errno, path);
    return {std::move(file), 0};
}
