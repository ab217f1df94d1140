// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Input given as a platform gives it: queued in Qt's window-system queue, delivered when the event
// loop next takes that queue.

#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

// A key pressed and released on the window that holds widget.
inline void QueueKey(QWidget* widget, Qt::Key key, const QString& text,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    using WindowSystem = QWindowSystemInterface;
    QWindow* window = widget->window()->windowHandle();
    WindowSystem::handleKeyEvent<WindowSystem::AsynchronousDelivery>(window, QEvent::KeyPress, key,
                                                                     modifiers, text);
    WindowSystem::handleKeyEvent<WindowSystem::AsynchronousDelivery>(window, QEvent::KeyRelease,
                                                                     key, modifiers, text);
}
