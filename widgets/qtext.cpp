// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/qtext.h"

#include "text/cp1252.h"
#include "text/utf8.h"

namespace {

QString Cp1252ToQString(std::string_view bytes) {
    QString result(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : bytes)
        *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return result;
}

QString Utf8ToQString(std::string_view bytes) {
    QString result(qsizetype(bytes.size()), Qt::Uninitialized); // never more units than bytes
    QChar* out = result.data();
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            *out++ = QChar(char16_t(bytes[i++]));
            continue;
        }
        const DecodedChar c = DecodeChar(bytes, i);
        if (QChar::requiresSurrogates(c.code)) {
            *out++ = QChar(QChar::highSurrogate(c.code));
            *out++ = QChar(QChar::lowSurrogate(c.code));
        } else {
            *out++ = QChar(char16_t(c.code));
        }
        i += c.length;
    }
    result.truncate(out - result.data());
    return result;
}

std::optional<std::string> ToCp1252(const QString& text) {
    std::string bytes(std::size_t(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = UnicodeToCp1252(text[i].unicode());
        if (!byte || text[i].isSurrogate())
            return std::nullopt;
        bytes[std::size_t(i)] = char(*byte);
    }
    return bytes;
}

std::optional<std::string> ToUtf8(const QString& text) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (text[i].isSurrogate())
            return std::nullopt;
        AppendUtf8(bytes, code);
    }
    return bytes;
}

bool IsTrimmed(QChar c) {
    return c.unicode() <= 32;
}

} // namespace

QString ToQString(std::string_view bytes, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? Utf8ToQString(bytes) : Cp1252ToQString(bytes);
}

std::optional<std::string> FromQString(const QString& text, TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? ToUtf8(text) : ToCp1252(text);
}

qsizetype CharCount(const QString& text) {
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate())
            --count;
    return count;
}

QString TrimmedText(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && IsTrimmed(text[first]))
        ++first;
    while (end > first && IsTrimmed(text[end - 1]))
        --end;
    return text.mid(first, end - first);
}
