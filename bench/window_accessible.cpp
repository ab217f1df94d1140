// SPDX-License-Identifier: GPL-3.0-or-later
// Times the real main window on the display it is given (bench_accessible.sh runs it on Xvfb,
// with and without an accessibility bus): window_accessible FILE PATTERN.
// Loads FILE through the open handler (window_open.h), clicks Exec. once, then paints the whole
// window. Prints "load_s run_s paint_s results active", active being 1 when Qt exposed the window
// to assistive technologies. With QT_LINUX_ACCESSIBILITY_ALWAYS_ON set it first waits for that.
#include "app/edit.h"
#include "widgets/text_view.h"
#include "window_open.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QWindow>

namespace {

// Processes events until ready() or 10 s have passed.
template <class Ready> void WaitFor(Ready ready) {
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

double Seconds(QElapsedTimer& clock) {
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    clock.restart();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_accessible FILE PATTERN\n");
        return 2;
    }
    TApplication app(argc, argv);
    TFormMain form;
    form.show();
    WaitFor([&] { return form.windowHandle() && form.windowHandle()->isExposed(); });
    if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        WaitFor([] { return QAccessible::isActive(); });

    QElapsedTimer clock;
    clock.start();
    OpenAsTheWindowDoes(form, QString::fromLocal8Bit(argv[1]));
    const double load = Seconds(clock);
    form.edtSel->setText(QString::fromUtf8(argv[2]));
    clock.restart();
    form.btnGoClick();
    const double run = Seconds(clock);
    QCoreApplication::processEvents(); // the result list's layout, queued by the run
    form.repaint();
    const double paint = Seconds(clock);
    std::printf("%.3f %.3f %.4f %d %d\n", load, run, paint, form.mmo->lineCount(),
                QAccessible::isActive() ? 1 : 0);
    return 0;
}
