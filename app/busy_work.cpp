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

// Holds back a close of a window asked while the work runs. Qt itself keeps a close that comes
// from the window system's event queue with the user input (X11's WM_DELETE_WINDOW, the queue of
// the offscreen and Wayland platforms), but a close made at once, through QWindow::close, would
// end the window in the middle of the work.
class CloseDeferral : public QObject {
public:
    CloseDeferral() { qApp->installEventFilter(this); }
    ~CloseDeferral() override { qApp->removeEventFilter(this); }
    CloseDeferral(const CloseDeferral&) = delete;
    CloseDeferral& operator=(const CloseDeferral&) = delete;

    // The window whose close was held back, if any.
    QPointer<QWidget> window() const { return FWindow; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow())
            return false;
        event->ignore();
        FWindow = widget;
        return true;
    }

private:
    QPointer<QWidget> FWindow;
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
    const CloseDeferral closes;
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
    if (const QPointer<QWidget> window = closes.window())
        CloseLater(window);
    if (error)
        std::rethrow_exception(error);
}
