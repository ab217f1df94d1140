// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/edit.h"

#include <QFocusEvent>
#include <QInputMethodEvent>

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

// A commit that reaches it all the same changes nothing.
void TEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}
