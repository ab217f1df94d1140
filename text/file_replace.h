// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving a file without ever losing the one it replaces: the bytes go to a new file beside it,
// which takes its place only once every byte is written and flushed.

#include <functional>
#include <string>
#include <string_view>

// Makes data the whole content of the file path, created or replaced. Symbolic links are followed
// as the system follows them for the user, and no further: the file a link names is replaced, with
// its permissions; a link that the system refuses to follow (one planted by another user in a
// shared sticky folder) is refused. The file stays as it was, and no other file is left, on every
// failure: EFCreateError when the file cannot be created or replaced (a missing folder, a folder
// that refuses new files, a refused link, a file in use by another program, anything but a
// regular file, a file or folder on the way moved or replaced during the save), EWriteError when
// the bytes cannot all be written and flushed (disk full). beforeReplace, when given, runs once
// the bytes are on the disk, just before the check and the replace (tests change the folder
// there).
void ReplaceFileContent(const std::string& path, std::string_view data,
                        const std::function<void()>& beforeReplace = {});
