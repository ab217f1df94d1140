// SPDX-License-Identifier: GPL-3.0-or-later
// Times the open of a file by the real main window, offscreen, as the first load of a process:
// window_cold_open FILE. The window is shown and painted first; the time runs from the click of the
// open button (its dialog answers FILE at once) until the events it left are processed, the text
// painted and the line count in the status bar. Prints "seconds status_text".
#include "widgets/prg_status_bar.h"
#include "window_open.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_cold_open FILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TFormMain form;
    form.setFileDialogs(std::make_unique<FixedDialogs>(QString::fromLocal8Bit(argv[1])));
    form.show();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    form.btnOpenClick();
    QCoreApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %s\n", seconds, form.StatusBar->panelText(0).toUtf8().constData());
    return 0;
}
