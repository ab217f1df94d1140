// SPDX-License-Identifier: GPL-3.0-or-later
// Times the open of a file by the real main window, offscreen: window_open FILE. The window is
// shown and painted first; the clock runs from the click of the open button (its dialog answers
// FILE at once) until the status bar shows the file's "N lignes" and the window, its text among
// it, is painted again. Prints "seconds lines", or "refused" (exit 3) when the view refuses the
// file, its message on stderr. One open a process, so that the caller can take the peak memory of
// the process. window_open --none opens nothing: the same window, shown and painted, gives the
// peak memory that a file adds to.
#include "window_open.h"
#include "widgets/prg_status_bar.h"
#include "widgets/text_view.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

namespace {

// The longest that an open may take before the bench gives up on it.
constexpr qint64 kOpenTimeoutMs = 30 * 60 * 1000;

// Whether the status bar shows a line count that it did not show before the click.
bool ShowsLineCount(const TFormMain& form, const QString& before) {
    const QString shown = form.StatusBar->panelText(0);
    return shown != before && shown.endsWith(QStringLiteral(" lignes"));
}

void ShowAndPaint(TFormMain& form) {
    form.show();
    QCoreApplication::processEvents();
    form.repaint();
}

int OpenNothing() {
    TFormMain form;
    ShowAndPaint(form);
    std::printf("0.000 0\n");
    return 0;
}

int Open(const QString& path) {
    TFormMain form;
    ShowAndPaint(form);
    const QString before = form.StatusBar->panelText(0);
    QElapsedTimer clock;
    clock.start();
    if (!OpenAsTheWindowDoes(form, path)) {
        std::printf("refused\n");
        return 3;
    }
    // The open may hand its end to the event loop: it ends when the count shows.
    while (!ShowsLineCount(form, before)) {
        if (clock.elapsed() > kOpenTimeoutMs) {
            std::fprintf(stderr, "no line count after %lld s\n", kOpenTimeoutMs / 1000);
            return 4;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    form.repaint();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %lld\n", seconds, static_cast<long long>(form.FTotalLines));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_open FILE | window_open --none\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    if (std::strcmp(argv[1], "--none") == 0)
        return OpenNothing();
    return Open(QString::fromLocal8Bit(argv[1]));
}
