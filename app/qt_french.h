// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts in French, whatever the desktop's language: the edits' context menu and the file
// dialogs. The words come from Qt's French catalogue (Debian's qt6-translations-l10n); the few
// that it lacks, the file dialog's type column, are given here.

#include <QTranslator>

class TQtFrench : public QTranslator {
    Q_OBJECT
public:
    // Loads the catalogue from Qt's translations folder; without it only the gaps are French.
    explicit TQtFrench(QObject* parent = nullptr);

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
};
