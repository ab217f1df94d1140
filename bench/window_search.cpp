// Times a search run of the real main window, offscreen: window_search FILE PATTERN.
// Loads FILE through the open handler, types PATTERN, then times one click of Exec. and prints
// "seconds results current_line".
#include "app/application.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "bench/fixed_dialogs.h"
#include "widgets/text_view.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_search FILE PATTERN\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TFormMain form;
    form.setFileDialogs(std::make_unique<FixedDialogs>(QString::fromLocal8Bit(argv[1])));
    form.show();
    form.btnOpenClick();
    form.edtSel->setText(QString::fromUtf8(argv[2]));
    QElapsedTimer clock;
    clock.start();
    form.btnGoClick();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %d %lld\n", seconds, form.mmo->lineCount(), (long long)form.FCurrentLine);
    return 0;
}
