// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file that a save replaces, reached as the system reaches it for the user: opened through
// the path given, so that the system follows its symbolic links under its own rules (in a shared
// sticky folder it follows no link that another user planted), then found in its folder by the
// descriptor. The folder stays open, so that the new file goes beside the very file opened and
// the replace can check that its name still names that file.

#include "text/file_handle.h"

#include <string>
#include <sys/stat.h>

class ReplacedFile {
public:
    // Opens and locks the file that path names. Where path names nothing, not even a link, the
    // file will be new and only its folder is opened; where it is a dangling link, the file it
    // names is created empty, as the system creates it. code() is the platform error code of a
    // failure (system_errors.h), 0 on success.
    explicit ReplacedFile(const std::string& path);
    // A file that it created and that was not kept is removed again.
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    int code() const noexcept { return FCode; }
    // The file opened; closed when the file is to be new.
    const FileHandle& file() const noexcept { return FFile; }
    // The folder holding the file, open for the *at calls, and the file's name in it.
    int folder() const noexcept { return FFolder.fd(); }
    const std::string& name() const noexcept { return FName; }
    // The file's full path, as the system found it.
    const std::string& location() const noexcept { return FLocation; }

    // Whether the name in the folder still names the file opened (or still nothing), and path
    // still leads there: false when another program moved or replaced the file or a folder on
    // the way meanwhile.
    bool unchanged(const std::string& path) const;
    // The file has been replaced: a file that it created is no longer its own to remove.
    void keep() noexcept { FCreated = false; }

private:
    // Which file or folder a stat describes.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        bool of(const struct stat& info) const noexcept {
            return info.st_dev == device && info.st_ino == inode;
        }
    };

    int locate(const std::string& path);
    int holdFolderOf(const std::string& path);
    // Whether the name in the folder names the file opened; info receives what it names.
    bool inFolder(struct stat& info) const;

    FileHandle FFile;
    FileHandle FFolder;
    std::string FFolderPath; // as given, for a new file only
    std::string FLocation;
    std::string FName;
    Identity FFileId;
    Identity FFolderId;
    bool FCreated = false;
    int FCode = 0;
};
