// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/file_replace.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/replaced_file.h"
#include "text/system_errors.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes all of data; false when the file took fewer bytes (disk full, or any write error).
bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data.remove_prefix(std::size_t(put));
    }
    return true;
}

// Renames the entry from of folder as to; false with errno set when it failed. With noReplace, a
// file under to is not replaced (EEXIST), where the file system supports that check.
bool Rename(int folder, const std::string& from, const std::string& to, bool noReplace) {
    if (noReplace && ::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (noReplace && errno != EINVAL && errno != ENOSYS)
        return false;
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0;
}

// A new file beside the file it replaces, that nobody else has opened, removed again unless it
// has taken that file's place.
class SideFile {
public:
    // Creates it with the permissions and, where the system allows it, the owner of the file it
    // replaces.
    explicit SideFile(const ReplacedFile& replaced) : FFolder(replaced.folder()) {
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100 && !FFile.isOpen(); ++attempt) {
            // Hidden, and named after the file it replaces, should it ever be left behind.
            FName = "." + replaced.name() + ".trouve-" + std::to_string(random() % 1000000);
            FFile = FileHandle(
                ::openat(FFolder, FName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!FFile.isOpen() && errno != EEXIST)
                break;
        }
        FOwned = FFile.isOpen();
        FError = FOwned ? 0 : errno;
        if (FFile.isOpen() && replaced.file().isOpen())
            KeepOwnerAndMode(replaced.file().fd());
    }
    ~SideFile() {
        if (FOwned)
            ::unlinkat(FFolder, FName.c_str(), 0);
    }
    SideFile(const SideFile&) = delete;
    SideFile& operator=(const SideFile&) = delete;

    int error() const noexcept { return FError; }

    // Every byte written and on the disk.
    bool write(std::string_view data) {
        const bool written = WriteAll(FFile.fd(), data) && ::fsync(FFile.fd()) == 0;
        return FFile.close() == 0 && written;
    }

    // Puts the file in the place of the file it replaces, or under its name where there was
    // none (not over a file that another program made there meanwhile); errno of the failure, or
    // 0.
    int replace(const ReplacedFile& replaced) {
        if (!Rename(FFolder, FName, replaced.name(), !replaced.file().isOpen()))
            return errno;
        FOwned = false;
        return 0;
    }

private:
    // The owner is kept where the system allows it (a save by the administrator); the mode always.
    void KeepOwnerAndMode(int replacedFd) {
        struct stat info {};
        if (fstat(replacedFd, &info) != 0)
            return;
        [[maybe_unused]] const int owned = fchown(FFile.fd(), info.st_uid, info.st_gid);
        fchmod(FFile.fd(), info.st_mode & 07777);
    }

    int FFolder;
    std::string FName;
    FileHandle FFile;
    int FError = 0;
    bool FOwned = false; // created here, and not yet in the place of the file it replaces
};

// The folder's entry is on the disk too, so that the new file survives a power cut.
void SyncFolder(int folder) {
    const FileHandle dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.fd());
}

} // namespace

void ReplaceFileContent(const std::string& path, std::string_view data,
                        const std::function<void()>& beforeReplace) {
    const auto failCreate = [&](int code) {
        throw EFCreateError(FullPath(path), SystemErrorText(code));
    };
    // Held, the file locked against other programs, until the new file has taken its place.
    ReplacedFile replaced(path);
    if (replaced.code() != 0)
        failCreate(replaced.code());
    SideFile side(replaced);
    if (side.error() != 0)
        failCreate(PlatformErrorCode(side.error(), replaced.location()));
    if (!side.write(data))
        throw EWriteError();
    if (beforeReplace)
        beforeReplace();
    // The name replaced is the file opened and checked, not what it names a moment later.
    if (!replaced.unchanged(path))
        failCreate(kSharingViolation);
    if (const int err = side.replace(replaced))
        failCreate(PlatformErrorCode(err, replaced.location()));
    replaced.keep();
    SyncFolder(replaced.folder());
}
