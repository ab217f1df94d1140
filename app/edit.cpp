// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QPointer>
#include <qpa/qwindowsysteminterface.h>

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {
    // Without the focus the selection is painted like plain text, so it is not seen.
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Highlight, colours.color(group, QPalette::Base));
        colours.setColor(group, QPalette::HighlightedText, colours.color(group, QPalette::Text));
    }
    setPalette(colours);
}

void TEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason)
        selectAll();
}

// An input method asks the focused widget whether it takes text: a read-only edit says no, so
// that nothing is composed for it.
QVariant TEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled && isReadOnly())
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void TEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::ReadOnlyChange)
        setAttribute(Qt::WA_InputMethodEnabled, !isReadOnly());
}

// A commit that reaches it while read-only changes nothing.
//
// The platform composes a dead key or a compose sequence as it reads the keys from the display
// and sends the commit at once, while the keys it read before wait in the window-system queue
// when the window is slow to take them: "f ^ e" would give "êf". Those keys go first, so the text
// keeps the order typed; when one of them moved the focus, the commit follows it.
void TEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    if (!event->commitString().isEmpty() &&
        QWindowSystemInterface::windowSystemEventsQueued() > 0) {
        const QPointer<TEdit> self(this);
        QWindowSystemInterface::sendWindowSystemEvents(QEventLoop::AllEvents);
        if (!self || !hasFocus()) {
            if (QObject* focus = QApplication::focusObject(); focus && focus != self)
                QCoreApplication::sendEvent(focus, event);
            return;
        }
    }
    QLineEdit::inputMethodEvent(event);
}
