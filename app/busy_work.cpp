// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/busy_work.h"

#include "app/busy_cursor.h"
#include "app/handler.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <exception>
#include <thread>

namespace {

// Holds back what the window system gives at once, not with the user input that Qt keeps for
// after the work. A close of a window: Qt keeps one that comes through the window system's event
// queue (X11's WM_DELETE_WINDOW, the queue of the offscreen and Wayland platforms), but a close
// made at once, through QWindow::close, would end the window in the middle of the work; it is
// refused here and asked again afterwards. A drop (X11's drag and drop messages are no input for
// Qt) is refused, as a click would wait: the drag's source keeps its data.
class InputGuard : public QObject {
public:
    InputGuard() { qApp->installEventFilter(this); }
    ~InputGuard() override { qApp->removeEventFilter(this); }
    InputGuard(const InputGuard&) = delete;
    InputGuard& operator=(const InputGuard&) = delete;

    // The window whose close was held back, if any.
    QPointer<QWidget> closedWindow() const { return FClosed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            event->ignore();
            return true;
        case QEvent::Close:
            if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow())
                return false;
            event->ignore();
            FClosed = static_cast<QWidget*>(watched);
            return true;
        default:
            return false;
        }
    }

private:
    QPointer<QWidget> FClosed;
};

// Asks the close again once the handler that ran the work has returned to the event loop, and
// only after the user input that waited meanwhile: Qt delivers posted events and timers before
// that input, so the input is let through first. A window that a modal box blocks by then is not
// closed, as Qt refuses the window manager's close of such a window.
void CloseLater(const QPointer<QWidget>& window) {
    QTimer::singleShot(0, window, [window] {
        QCoreApplication::processEvents();
        const QWidget* modal = QApplication::activeModalWidget();
        if (window && (!modal || modal == window))
            window->close();
    });
}

} // namespace

void RunBusy(const std::function<void()>& work, const std::function<void()>& tick, int tickMs) {
    const BusyCursor busy;
    const InputGuard guard;
    QEventLoop loop;
    QTimer ticker;
    if (tick) {
        QObject::connect(&ticker, &QTimer::timeout, Guarded(tick));
        ticker.start(tickMs);
    }
    std::atomic<bool> done = false;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The loop also ends when the application is asked to quit; the work is waited for all the
    // same, and the quit takes effect after the handler.
    while (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (const QPointer<QWidget> window = guard.closedWindow())
        CloseLater(window);
    if (error)
        std::rethrow_exception(error);
}
