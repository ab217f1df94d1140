#include "text/file_replace.h"

#include "text/errors.h"
#include "text/file_handle.h"
#include "text/system_errors.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinks = 40; // as the system follows them

// The file that path names once its symbolic links are followed (it may not exist yet), or an
// empty path when the links loop.
std::filesystem::path LinkTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(target, ec))
            return target;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec)
            return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return {};
}

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

// A new file beside target, that nobody else has opened, removed again unless it is kept.
class SideFile {
public:
    // Creates it with the permissions a new file gets, or those of the file it replaces.
    SideFile(const std::filesystem::path& target, const FileHandle& replaced) {
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100 && !FFile.isOpen(); ++attempt) {
            // Hidden, and named after the file it replaces, should it ever be left behind.
            FPath = target.parent_path() / ("." + target.filename().string() + ".trouve-" +
                                            std::to_string(random() % 1000000));
            FFile = FileHandle(::open(FPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!FFile.isOpen() && errno != EEXIST)
                break;
        }
        FError = FFile.isOpen() ? 0 : errno;
        if (FFile.isOpen() && replaced.isOpen())
            KeepOwnerAndMode(replaced.fd());
    }
    ~SideFile() {
        if (!FKept && !FPath.empty())
            ::unlink(FPath.c_str());
    }
    SideFile(const SideFile&) = delete;
    SideFile& operator=(const SideFile&) = delete;

    int error() const noexcept { return FError; }

    // Every byte written and on the disk.
    bool write(std::string_view data) {
        const bool written = WriteAll(FFile.fd(), data) && ::fsync(FFile.fd()) == 0;
        return FFile.close() == 0 && written;
    }

    // Puts the file in target's place; errno of the failure, or 0.
    int replace(const std::filesystem::path& target) {
        if (::rename(FPath.c_str(), target.c_str()) != 0)
            return errno;
        FKept = true;
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

    std::filesystem::path FPath;
    FileHandle FFile;
    int FError = 0;
    bool FKept = false;
};

// The folder's entry is on the disk too, so that the new file survives a power cut.
void SyncFolder(const std::filesystem::path& folder) {
    const FileHandle dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC));
    if (dir.isOpen())
        ::fsync(dir.fd());
}

} // namespace

void ReplaceFileContent(const std::string& path, std::string_view data) {
    const auto failCreate = [&](int code) {
        throw EFCreateError(FullPath(path), SystemErrorText(code));
    };
    const std::filesystem::path target = LinkTarget(path);
    if (target.empty())
        failCreate(PlatformErrorCode(ELOOP, path));
    // Opened, and locked against other programs, until the new file has taken its place.
    const OpenResult replaced = OpenForReplacing(target);
    if (replaced.code != 0)
        failCreate(replaced.code);
    SideFile side(target, replaced.file);
    if (side.error() != 0)
        failCreate(PlatformErrorCode(side.error(), target));
    if (!side.write(data))
        throw EWriteError();
    if (const int err = side.replace(target))
        failCreate(PlatformErrorCode(err, target));
    SyncFolder(target.parent_path());
}
