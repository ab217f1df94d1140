// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's message dialog: an icon, a word-wrapped message and a row of buttons, laid out
// from the message-box font, with Ctrl+C copying the whole dialog as text.

#include <QDialog>
#include <QFlags>
#include <vector>

class QLabel;
class QPushButton;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

enum TMsgDlgBtn : unsigned { mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8 };
using TMsgDlgButtons = QFlags<TMsgDlgBtn>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDlgButtons)

// The result of the button that closed a dialog.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Buttons are shown in the order Yes, No, OK, Cancel. OK, else Yes, is the default button (Enter);
// Cancel, else No, else OK is the cancel button, whose result Esc and the close box give. An empty
// button set shows OK.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    TMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                 QWidget* parent = nullptr);

    // What Ctrl+C puts on the clipboard: caption, message and button captions between lines of
    // 27 hyphens, each line ending with CR LF.
    QString copyText() const;

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addButtons(TMsgDlgButtons buttons);
    void layOut();

    QLabel* FImage;
    QLabel* FMessage;
    std::vector<QPushButton*> FButtons;
    int FCancelResult = mrCancel;
};

// Shows text in a TMessageForm of the given kind and buttons, modally, and returns the result of
// the button that closed it.
int MessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
