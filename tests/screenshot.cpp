// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the README's picture from the program itself: the real main window, a sample text loaded
// and searched, rendered offscreen into a PNG. Usage: screenshot OUT.png
#include "app/application.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "ui_helpers.h"

#include <QPushButton>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    TApplication app(argc, argv);
    QTemporaryDir dir;
    const QString sample =
        WriteFile(dir, "exemple.txt",
                  "Une maison au bord de la rivi\xE8re.\r\nLa maison du p\xE8re est grande.\r\n"
                  "Le jardin de la maison donne sur la for\xEAt.\r\nAujourd'hui, la maisonn\xE9"
                  "e dort.\r\n");
    TFormMain form;
    auto* dialogs = new ScriptedDialogs;
    dialogs->openAnswers.push_back(sample);
    form.setFileDialogs(std::unique_ptr<FileDialogs>(dialogs));
    form.show();
    form.btnOpenClick();
    form.edtSel->setText(QStringLiteral("maison"));
    form.btnGoClick();
    QApplication::processEvents();
    return form.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
