#include "app/edit.h"

#include <QFocusEvent>
#include <QTimer>

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
