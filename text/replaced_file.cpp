// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/replaced_file.h"

#include "text/system_errors.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace {

// The path by which the system knows the file open as fd, or the empty string with errno set.
std::string PathOf(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char path[PATH_MAX];
    const ssize_t size = ::readlink(link.c_str(), path, sizeof path);
    if (size <= 0 || size == ssize_t(sizeof path)) {
        errno = size < 0 ? errno : ENAMETOOLONG;
        return {};
    }
    return std::string(path, std::size_t(size));
}

// Whether path names nothing at all, not even a dangling link, and ends in a file name.
bool IsFreeName(const std::string& path) {
    const std::filesystem::path name = std::filesystem::path(path).filename();
    struct stat info {};
    return !name.empty() && name != "." && name != ".." && ::lstat(path.c_str(), &info) != 0 &&
           errno == ENOENT;
}

} // namespace

ReplacedFile::ReplacedFile(const std::string& path) {
    OpenResult opened = OpenForReplacing(path);
    if (opened.code == 0 && !opened.file.isOpen()) {
        if (IsFreeName(path)) {
            FCode = holdFolderOf(path);
            return;
        }
        opened = CreateForReplacing(path);
        FCreated = opened.code == 0;
    }
    FFile = std::move(opened.file);
    FCode = opened.code != 0 ? opened.code : locate(path);
}

ReplacedFile::~ReplacedFile() {
    // Only while it is still the empty file created: another program may have filled it since.
    struct stat info {};
    if (FCreated && inFolder(info) && info.st_size == 0)
        ::unlinkat(FFolder.fd(), FName.c_str(), 0);
}

bool ReplacedFile::unchanged(const std::string& path) const {
    struct stat info {};
    if (FFile.isOpen())
        return inFolder(info) && ::stat(path.c_str(), &info) == 0 && FFileId.of(info);
    return fstatat(FFolder.fd(), FName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 &&
           errno == ENOENT && ::stat(FFolderPath.c_str(), &info) == 0 && FFolderId.of(info);
}

// Finds the folder and the name of the file opened; the platform code of a failure, that of a
// file in use when the file is no longer where the system says it is (moved or removed
// meanwhile), or 0.
int ReplacedFile::locate(const std::string& path) {
    struct stat info {};
    if (fstat(FFile.fd(), &info) != 0)
        return PlatformErrorCode(errno, path);
    FFileId = {info.st_dev, info.st_ino};
    FLocation = PathOf(FFile.fd());
    if (FLocation.empty())
        return PlatformErrorCode(errno, path);
    const std::size_t slash = FLocation.rfind('/');
    if (slash == std::string::npos)
        return kSharingViolation; // no path of the file system
    FName = FLocation.substr(slash + 1);
    const std::string folder = slash == 0 ? "/" : FLocation.substr(0, slash);
    FFolder = FileHandle(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!FFolder.isOpen())
        return PlatformErrorCode(errno, path);
    return inFolder(info) ? 0 : kSharingViolation; // a removed file's path ends in " (deleted)"
}

// For a new file: opens the folder that path names it in; the platform code of a failure, or 0.
int ReplacedFile::holdFolderOf(const std::string& path) {
    const std::filesystem::path named(path);
    FName = named.filename().string();
    FFolderPath = named.has_parent_path() ? named.parent_path().string() : ".";
    FLocation = FullPath(path);
    FFolder = FileHandle(::open(FFolderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!FFolder.isOpen() || fstat(FFolder.fd(), &info) != 0)
        return PlatformErrorCode(errno, path);
    FFolderId = {info.st_dev, info.st_ino};
    return 0;
}

bool ReplacedFile::inFolder(struct stat& info) const {
    return FFolder.isOpen() &&
           fstatat(FFolder.fd(), FName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           FFileId.of(info);
}
