// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real main window, shown, with scripted file dialogs.

#include "app/edit.h"
#include "app/form_main.h"
#include "ui_helpers.h"
#include "widgets/prg_status_bar.h"
#include "widgets/text_view.h"

#include <QPushButton>

struct ShownForm {
    TFormMain form;
    ScriptedDialogs* dialogs = new ScriptedDialogs;

    ShownForm() {
        form.setFileDialogs(std::unique_ptr<FileDialogs>(dialogs));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("the window was not exposed");
    }
    // Picks a file through the open dialog, as a click on btnOpen does.
    void open(const QString& path) {
        dialogs->openAnswers.push_back(path);
        QTest::mouseClick(form.btnOpen, Qt::LeftButton);
    }
    // Types a new search string and clicks Exec.
    void search(const QString& text) {
        form.edtSel->clear();
        QTest::keyClicks(form.edtSel, text);
        QTest::mouseClick(form.btnGo, Qt::LeftButton);
    }
    // The result lines, as bytes.
    QByteArrayList results() const {
        QByteArrayList lines;
        for (int i = 0; i < form.mmo->lineCount(); ++i)
            lines << QByteArray::fromStdString(form.mmo->line(i));
        return lines;
    }
    QString status() const { return form.StatusBar->panelText(0); }
};
