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

// The system's French text for a code, trailing blanks, line breaks and full stops removed;
// empty when the system has none.
std::string SystemErrorText(int code);

// name made absolute against the current directory, as the file messages show it.
std::string FullPath(const std::string& name);
