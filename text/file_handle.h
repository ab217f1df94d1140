// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An owned POSIX file descriptor, and the opens that the program's sharing rules need.
// Linux does not deny access by open mode, so sharing is an open-file-description lock: readers
// take a shared one, the results file an exclusive one, and a conflicting lock held elsewhere is
// the sharing violation.

#include <cstddef>
#include <cstdint>
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

// Opens an existing file read-only, shared for reading only. The descriptor is non-blocking: a
// read from a pipe or a device that has no byte yet fails with EAGAIN instead of waiting
// (WaitForBytes waits, for a while).
OpenResult OpenForReading(const std::string& path);

// Opens the file that a save is about to replace, without changing it, and keeps it shared with
// nobody until it is closed. No handle and code 0 when there is no such file yet. Fails with the
// code of a file in use, of a folder (5) or of anything that is not a regular file.
OpenResult OpenForReplacing(const std::string& path);

// Creates the file that a save writes where OpenForReplacing found none, as a redirection of the
// shell does: a dangling symbolic link is followed where the system follows it, and the file it
// names is created. Shared with nobody until it is closed; fails with the code of the system's
// refusal, or as OpenForReplacing when another program made something else there meanwhile.
OpenResult CreateForReplacing(const std::string& path);

// Reads [offset, offset + count) of fd into into, through interrupted and short reads; returns
// the bytes read before the end of the file or a failure.
std::size_t ReadAt(int fd, char* into, std::size_t count, std::int64_t offset) noexcept;

// Gives up the reader's share of fd: a file read from its pages while it is shown blocks no
// other program's save, as a file read once and closed would not.
void ReleaseShare(int fd) noexcept;

// Whether fd is a regular file, whose data ends; pipes and devices may never end or never speak.
bool IsRegularFile(int fd) noexcept;

// How long a read from a pipe or a device waits for a byte before its source counts as silent.
inline constexpr int kSourceWaitMs = 10000;

// After a read failed with EAGAIN: waits until fd has bytes to read, or its end, at most waitMs
// milliseconds; false when it stays silent that long.
bool WaitForBytes(int fd, int waitMs) noexcept;
