#include "widgets/qtext.h"

#include "text/cp1252.h"

QString ToQString(std::string_view bytes) {
    QString result(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : bytes)
        *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return result;
}

std::string FromQString(const QString& text) {
    std::string result(size_t(text.size()), '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        result[size_t(i)] = char(UnicodeToCp1252(text[i].unicode()).value_or(0));
    return result;
}

bool IsCp1252Text(const QString& text) {
    for (const QChar c : text)
        if (!UnicodeToCp1252(c.unicode()))
            return false;
    return true;
}
