// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edge between the program's byte strings and Qt's QString. Text inside the program is bytes
// in its source's encoding (text/encoding.h); a QString appears only where a widget shows or
// takes text.

#include "text/encoding.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// The characters of bytes: for Windows-1252 each byte is the one QChar its table gives; for UTF-8
// each character of text/utf8.h, a malformed one as U+FFFD.
QString ToQString(std::string_view bytes, TextEncoding encoding = TextEncoding::Cp1252);

// The bytes of text in encoding, or nothing when the encoding cannot hold one of its characters
// (a lone surrogate no encoding holds). Nothing is ever substituted: a substitute such as '?'
// would match a real '?'.
std::optional<std::string> FromQString(const QString& text,
                                       TextEncoding encoding = TextEncoding::Cp1252);

// The number of characters (code points) of text.
qsizetype CharCount(const QString& text);

// text without the characters of code 0 to 32 at either end.
QString TrimmedText(const QString& text);
