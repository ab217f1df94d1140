#pragma once
// An owned POSIX file descriptor, and the opens that the program's sharing rules need.
// Linux does not deny access by open mode, so sharing is an open-file-description lock: readers
// take a shared one, the results file an exclusive one, and a conflicting lock held elsewhere is
// the sharing violation.

#include <string>
#include <utility>

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) noexcept : FFd(fd) {}
    FileHandle(FileHandle&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    int fd() const noexcept { return FFd; }
    bool isOpen() const noexcept { return FFd >= 0; }
    // Closes now; returns errno of a failed close, 0 on success.
    int close() noexcept;

private:
    int FFd = -1;
};

// The outcome of an open: a handle, or the platform error code (system_errors.h).
struct OpenResult {
    FileHandle file;
    int code = 0;
};

// Opens an existing file read-only, shared for reading only.
OpenResult OpenForReading(const std::string& path);

// Creates or truncates a file for reading and writing, shared with nobody.
// The lock is taken before truncating, so a file in use by another program is left unchanged.
OpenResult CreateExclusive(const std::string& path);
