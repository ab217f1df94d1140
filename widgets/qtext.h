#pragma once
// The edge between the program's Windows-1252 byte strings and Qt's QString.

#include <QString>
#include <string>
#include <string_view>

// Each byte becomes the one QChar that Windows-1252 gives it.
QString ToQString(std::string_view bytes);

// Each QChar becomes its Windows-1252 byte. Callers pass only text that Windows-1252 holds (the
// search field's validator sees to it); any other character becomes NUL, which no search matches
// by accident the way a substituted '?' would.
std::string FromQString(const QString& text);

// Whether every character of text has a Windows-1252 byte.
bool IsCp1252Text(const QString& text);
