// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screen_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// The available area of the screen under the frame's centre, else under its top-left corner, else
// of the window's own screen.
QRect AvailableArea(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::screenAt(frame.topLeft());
    if (!screen)
        screen = window.screen();
    return screen ? screen->availableGeometry() : QRect();
}

// Where a frame goes so that all of it lies within area: moved by no more than it takes and, when
// larger than area, first sized down to it.
QRect FitWithin(const QRect& frame, const QRect& area) {
    QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}

bool IsFramed(const QWidget& window) {
    return window.frameGeometry() != window.geometry();
}

void FitNow(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect area = AvailableArea(window);
    if (area.isEmpty())
        return;
    const QRect fitted = FitWithin(frame, area);
    if (fitted == frame)
        return;
    const QSize client = fitted.size() - (frame.size() - window.size());
    window.setMinimumSize(window.minimumSize().boundedTo(client));
    window.resize(client);
    window.move(fitted.topLeft()); // a window's position is that of its frame
}

// Fits its window once more at the first move that shows the window framed, then goes.
class TFitWhenFramed : public QObject {
public:
    explicit TFitWhenFramed(QWidget& window) : QObject(&window), FWindow(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &FWindow && event->type() == QEvent::Move && IsFramed(FWindow)) {
            FWindow.removeEventFilter(this);
            FitNow(FWindow);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& FWindow;
};

} // namespace

void KeepOnScreen(QWidget& window) {
    FitNow(window);
    if (!IsFramed(window))
        new TFitWhenFramed(window);
}
