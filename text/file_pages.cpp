// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/file_pages.h"

#include <algorithm>

namespace {

constexpr char kBlank = ' ';

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FilePages::FilePages(FileHandle file, std::int64_t end) : FFile(std::move(file)), FEnd(end) {
    if (fstat(FFile.fd(), &FOpened) != 0)
        FChanged = true;
    FCache.reserve(kCachedPages);
}

std::shared_ptr<const std::string> FilePages::page(std::int64_t index) const {
    cached(index);
    return FCache.front().bytes;
}

// The page, first in the cache from now on.
const std::string& FilePages::cached(std::int64_t index) const {
    if (!FCache.empty() && FCache.front().index == index)
        return *FCache.front().bytes;
    const auto found = std::find_if(FCache.begin(), FCache.end(),
                                    [index](const Cached& c) { return c.index == index; });
    if (found != FCache.end()) {
        std::rotate(FCache.begin(), found, found + 1);
        return *FCache.front().bytes;
    }
    if (FCache.size() == kCachedPages)
        FCache.pop_back();
    FCache.insert(FCache.begin(), {index, read(index)});
    return *FCache.front().bytes;
}

std::shared_ptr<const std::string> FilePages::read(std::int64_t index) const {
    const std::int64_t from = index * kPage;
    const auto count = std::size_t(std::clamp<std::int64_t>(FEnd - from, 0, kPage));
    auto bytes = std::make_shared<std::string>(count, kBlank);
    const std::size_t got = ReadAt(FFile.fd(), bytes->data(), count, from);
    if (got < count || !unchanged())
        FChanged = true;
    return bytes;
}

bool FilePages::recheck() {
    if (!FChanged && !unchanged()) {
        FChanged = true;
        FCache.clear();
    }
    return FChanged;
}

bool FilePages::unchanged() const {
    struct stat now {};
    return fstat(FFile.fd(), &now) == 0 && now.st_size == FOpened.st_size &&
           SameTime(now.st_mtim, FOpened.st_mtim);
}

char FilePages::byteAt(std::int64_t offset) const {
    return cached(offset / kPage)[std::size_t(offset % kPage)];
}

void FilePages::copy(std::int64_t from, std::int64_t to, std::string& out) const {
    while (from < to) {
        const std::int64_t index = from / kPage;
        const std::string& bytes = cached(index);
        const auto at = std::size_t(from - index * kPage);
        const std::size_t count = std::min(bytes.size() - at, std::size_t(to - from));
        out.append(bytes, at, count);
        from += std::int64_t(count);
        if (count == 0)
            break;
    }
}

bool FilePages::sameUnchangedFile(const FilePages& other) const {
    return FOpened.st_dev == other.FOpened.st_dev && FOpened.st_ino == other.FOpened.st_ino &&
           !FChanged && !other.FChanged && unchanged() && other.unchanged() &&
           SameTime(FOpened.st_mtim, other.FOpened.st_mtim) &&
           FOpened.st_size == other.FOpened.st_size;
}
