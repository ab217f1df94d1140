// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_french.h"

#include <QLibraryInfo>
#include <cstring>

namespace {

struct Gap {
    const char* context;
    const char* sourceText;
    const char* french;
};

// What the file dialog's type column shows for a folder, a drive and an unknown entry.
constexpr Gap kGaps[] = {
    {"QAbstractFileIconProvider", "Folder", "Dossier"},
    {"QAbstractFileIconProvider", "Drive", "Lecteur"},
    {"QAbstractFileIconProvider", "Unknown", "Inconnu"},
};

} // namespace

TQtFrench::TQtFrench(QObject* parent) : QTranslator(parent) {
    (void)load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString TQtFrench::translate(const char* context, const char* sourceText,
                             const char* disambiguation, int n) const {
    const QString text = QTranslator::translate(context, sourceText, disambiguation, n);
    if (!text.isEmpty() || !context || !sourceText)
        return text;
    for (const Gap& gap : kGaps)
        if (std::strcmp(context, gap.context) == 0 && std::strcmp(sourceText, gap.sourceText) == 0)
            return QString::fromUtf8(gap.french);
    return text;
}
