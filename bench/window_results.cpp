// SPDX-License-Identifier: GPL-3.0-or-later
// One click of Exec. in the real main window, offscreen: window_results FILE PATTERN. FILE is
// opened as the window opens it (window_open.h), so it is searched in its own encoding, also when
// the text view refuses it as beyond its capacity (the refusal goes to stderr). Prints every
// result line, then the progress text of the status bar.
#include "app/edit.h"
#include "widgets/prg_status_bar.h"
#include "widgets/text_view.h"
#include "window_open.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_results FILE PATTERN\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TFormMain form;
    form.show();
    OpenAsTheWindowDoes(form, QString::fromLocal8Bit(argv[1]));
    form.edtSel->setText(QString::fromUtf8(argv[2]));
    form.btnGoClick();
    for (int i = 0; i < form.mmo->lineCount(); ++i)
        std::printf("%s\n", form.mmo->line(i).c_str());
    std::printf("%s\n", form.StatusBar->panelText(0).toUtf8().constData());
    return 0;
}
