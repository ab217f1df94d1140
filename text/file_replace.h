#pragma once
// Saving a file without ever losing the one it replaces: the bytes go to a new file beside it,
// which takes its place only once every byte is written and flushed.

#include <string>
#include <string_view>

// Makes data the whole content of the file path, created or replaced. A symbolic link is written
// through: the file it names is replaced, with its permissions. The file stays as it was, and no
// other file is left, on every failure: EFCreateError when the file cannot be created or
// replaced (a missing folder, a folder that refuses new files, a file in use by another program,
// anything but a regular file), EWriteError when the bytes cannot all be written and flushed
// (disk full).
void ReplaceFileContent(const std::string& path, std::string_view data);
