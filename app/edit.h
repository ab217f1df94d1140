#pragma once
// The window's single-line edit: it selects its whole text when it gets the focus other than by a
// mouse press inside it, and shows its selection only while it has the focus.

#include <QLineEdit>

class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};
