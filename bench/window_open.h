// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opens a file in the real main window as a person does: through the open handler, its dialog
// answering the file's path. The load decides the file's encoding, in which Exec. then reads it.
// A failed load (a text beyond the view's capacity) goes to stderr as the window's error box
// would show it, and the window goes on as after the box is closed: Exec. searches the file from
// disk. It returns false after such a failure.
#include "app/application.h"
#include "app/form_main.h"
#include "text/errors.h"

#include <cstdio>

class FixedDialogs : public FileDialogs {
public:
    explicit FixedDialogs(QString path) : FPath(std::move(path)) {}
    std::optional<QString> runOpen(QWidget*) override { return FPath; }
    std::optional<QString> runSave(QWidget*) override { return std::nullopt; }

private:
    QString FPath;
};

inline bool OpenAsTheWindowDoes(TFormMain& form, const QString& path) {
    form.setFileDialogs(std::make_unique<FixedDialogs>(path));
    try {
        form.btnOpenClick();
        return true;
    } catch (const EError& error) {
        const QString shown = TApplication::ReportText(QString::fromStdString(error.message()));
        std::fprintf(stderr, "%s\n", shown.toUtf8().constData());
        return false;
    }
}
