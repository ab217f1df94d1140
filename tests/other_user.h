// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What another local user can do to a save, played by the administrator: symbolic links planted
// in a shared sticky folder under a uid that has no account, and the system's rule on following
// them (fs.protected_symlinks) set for the life of an object.

#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// A uid and gid that no account uses.
inline constexpr uid_t kOtherUser = 54321;

inline bool IsAdministrator() {
    return ::geteuid() == 0;
}

// Creates the symbolic link at linkPath, naming target, as kOtherUser; false when it failed.
inline bool PlantLink(const std::string& target, const std::string& linkPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        const bool made = ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0 &&
                          ::symlink(target.c_str(), linkPath.c_str()) == 0;
        ::_exit(made ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// A folder that every user may write into, where only the owner of an entry may remove it (as
// /tmp is), owned by the process's user.
inline bool MakeShared(const std::string& folder) {
    return ::chmod(folder.c_str(), 01777) == 0;
}

// fs.protected_symlinks at value while the object lives, then as it was; set() is false when the
// process may not change it (not the administrator). The setting belongs to the whole machine:
// every test that changes it holds one lock meanwhile (tests/x11/e2e.sh too), so that tests run
// at once, here or in another tree, neither see each other's value nor restore the wrong one.
class ProtectedSymlinks {
public:
    explicit ProtectedSymlinks(int value)
        : FLock(::open(kLock, O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (FLock >= 0)
            ::flock(FLock, LOCK_EX);
        FBefore = Read();
        FSet = FBefore >= 0 && Write(value) && Read() == value;
    }
    ~ProtectedSymlinks() {
        if (FBefore >= 0)
            Write(FBefore);
        if (FLock >= 0)
            ::close(FLock); // releases the lock
    }
    ProtectedSymlinks(const ProtectedSymlinks&) = delete;
    ProtectedSymlinks& operator=(const ProtectedSymlinks&) = delete;

    bool set() const noexcept { return FSet; }

private:
    static constexpr const char* kSetting = "/proc/sys/fs/protected_symlinks";
    static constexpr const char* kLock = "/run/lock/trouve-protected-symlinks";

    static int Read() {
        int value = -1;
        std::ifstream(kSetting) >> value;
        return value;
    }
    static bool Write(int value) {
        std::ofstream setting(kSetting);
        setting << value << '\n';
        setting.flush();
        return bool(setting);
    }

    int FLock;
    int FBefore = -1;
    bool FSet = false;
};
