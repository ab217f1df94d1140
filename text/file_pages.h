// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pages of an open regular file, read on demand with pread (a mapping would crash the
// program when another one shortens the file) and kept in a small cache of the pages read last.
//
// The file may change after the open. A page that reads short is completed with blanks, and
// every read checks the file's size and modification time against those of the open: either
// change marks the pages changed, for good.

#include "text/file_handle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

class FilePages {
public:
    static constexpr std::int64_t kPage = std::int64_t(1) << 16;
    static constexpr std::size_t kCachedPages = 48;

    // Reads file (kept open) up to end, the bytes that its text takes.
    FilePages(FileHandle file, std::int64_t end);

    std::int64_t end() const noexcept { return FEnd; }
    // Page index: the bytes [index * kPage, min(end, (index + 1) * kPage)), shared so that a
    // piece of them can keep them alive.
    std::shared_ptr<const std::string> page(std::int64_t index) const;
    // The byte at offset (< end()).
    char byteAt(std::int64_t offset) const;
    // Copies [from, to) into out (at most a few rows' worth: the caller bounds it).
    void copy(std::int64_t from, std::int64_t to, std::string& out) const;

    bool changed() const noexcept { return FChanged; }
    // Looks at the file again (its size and time). Once it has changed, the pages read before
    // are dropped, so that the pages read next show what it holds now.
    bool recheck();
    // The same file, unchanged since both opens.
    bool sameUnchangedFile(const FilePages& other) const;

private:
    struct Cached {
        std::int64_t index;
        std::shared_ptr<const std::string> bytes;
    };
    const std::string& cached(std::int64_t index) const;
    std::shared_ptr<const std::string> read(std::int64_t index) const;
    bool unchanged() const;

    FileHandle FFile;
    std::int64_t FEnd;
    struct stat FOpened {};
    mutable std::vector<Cached> FCache; // the page read or used last first
    mutable bool FChanged = false;
};
