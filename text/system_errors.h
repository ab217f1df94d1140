// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Operating-system errors as the user sees them: errno mapped to the codes of the original
// platform ("Fichier introuvable" is code 2 everywhere), and the French text of each code.

#include <string>

// The code shown for errno value err, raised while opening or creating path.
// ENOENT is 2, or 3 when the file's folder does not exist. A value without an entry gets a code
// that no entry uses: 10000 plus errno.
int PlatformErrorCode(int err, const std::string& path);

// The code for a lock held by another program on the same file.
inline constexpr int kSharingViolation = 32;
// The code for a results file that is a pipe, a device or a socket: writing one could wait
// forever for a reader, so it is refused.
inline constexpr int kNotRegularFile = 222;

// The system's French text for a code, trailing blanks, line breaks and full stops removed.
// Every code that PlatformErrorCode gives has one; other codes have none (the empty text).
std::string SystemErrorText(int code);

// name made absolute against the current directory, as the file messages show it.
std::string FullPath(const std::string& name);
