// SPDX-License-Identifier: GPL-3.0-or-later
// Times a search run of the real main window, offscreen: window_search FILE PATTERN.
// Loads FILE through the open handler (window_open.h), types PATTERN, then times one click of
// Exec. and prints "seconds results current_line result_bytes text_bytes": the bytes of the
// result list's text and of the loaded text.
#include "app/edit.h"
#include "widgets/text_view.h"
#include "window_open.h"

#include <QElapsedTimer>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_search FILE PATTERN\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TFormMain form;
    form.show();
    OpenAsTheWindowDoes(form, QString::fromLocal8Bit(argv[1]));
    form.edtSel->setText(QString::fromUtf8(argv[2]));
    QElapsedTimer clock;
    clock.start();
    form.btnGoClick();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %d %lld %lld %lld\n", seconds, form.mmo->lineCount(),
                (long long)form.FCurrentLine, (long long)form.mmo->model().size(),
                (long long)form.mmoText->model().size());
    return 0;
}
