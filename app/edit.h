#pragma once
// The window's single-line edit: it selects its whole text when it gets the focus other than by a
// mouse press inside it, and shows its selection only while it has the focus.

#include <QLineEdit>
#include <QValidator>

class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// Accepts only text that Windows-1252 holds, typed or pasted, so that the search string is always
// exact bytes.
class TCp1252Validator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
