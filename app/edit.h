// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's single-line edit: it selects its whole text when it gets the focus other than by a
// mouse press inside it, and shows its selection only while it has the focus. While read-only it
// takes no text from any keyboard path: plain keys, and the dead keys, compose sequences and input
// methods that reach it as input-method commits, which Qt's own read-only edit accepts. A
// composed character that the platform sends ahead of keys typed before it waits for them.

#include <QLineEdit>

class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
