// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/message_form.h"

#include "app/modal_presenter.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kIconSize = 32;

struct TKindLook {
    const char* caption;
    QStyle::StandardPixmap icon;
};

TKindLook LookOf(TMsgDlgType type) {
    switch (type) {
    case mtError:
        return {"Erreur", QStyle::SP_MessageBoxCritical};
    case mtInformation:
        return {"Information", QStyle::SP_MessageBoxInformation};
    case mtConfirmation:
        return {"Confirmation", QStyle::SP_MessageBoxQuestion};
    case mtWarning:
        break;
    }
    return {"Avertissement", QStyle::SP_MessageBoxWarning};
}

struct TButtonKind {
    TMsgDlgBtn button;
    const char* caption;
    TModalResult result;
};

// In the order they are shown.
constexpr TButtonKind kButtonKinds[] = {
    {mbYes, "&Oui", mrYes},
    {mbNo, "&Non", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, "Annuler", mrCancel},
};

// number * numerator / denominator, rounded to the nearest integer, halves away from zero.
int MulDivRound(int number, int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(number) * numerator / denominator));
}

// The dialog font's average character width over the 52 letters, truncated, and its line height.
QSize DialogUnits(const QFontMetrics& metrics) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QSize(metrics.horizontalAdvance(letters) / 52, metrics.height());
}

} // namespace

TMessageForm::TMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FImage(new QLabel(this)), FMessage(new QLabel(this)) {
    const TKindLook look = LookOf(type);
    setFont(QApplication::font("QMessageBox"));
    setWindowTitle(QString::fromUtf8(look.caption));
    setModal(true);

    FImage->setObjectName(QStringLiteral("Image"));
    FImage->setPixmap(style()
                          ->standardIcon(look.icon, nullptr, this)
                          .pixmap(QSize(kIconSize, kIconSize), devicePixelRatio()));
    FMessage->setObjectName(QStringLiteral("Message"));
    FMessage->setTextFormat(Qt::PlainText);
    FMessage->setWordWrap(true);
    FMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FMessage->setText(text);

    addButtons(buttons ? buttons : TMsgDlgButtons(mbOK));
    layOut();
}

void TMessageForm::addButtons(TMsgDlgButtons buttons) {
    const TMsgDlgBtn defaultButton =
        buttons.testFlag(mbOK) || !buttons.testFlag(mbYes) ? mbOK : mbYes;
    const TMsgDlgBtn cancelButton = buttons.testFlag(mbCancel) ? mbCancel
                                    : buttons.testFlag(mbNo)   ? mbNo
                                                               : mbOK;
    for (const TButtonKind& kind : kButtonKinds) {
        if (!buttons.testFlag(kind.button))
            continue;
        auto* button = new QPushButton(QString::fromUtf8(kind.caption), this);
        button->setObjectName(QString::fromUtf8(kind.caption).remove(QLatin1Char('&')));
        const int result = kind.result;
        connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        if (kind.button == defaultButton) {
            button->setDefault(true);
            button->setFocus(Qt::OtherFocusReason);
        }
        if (kind.button == cancelButton)
            FCancelResult = kind.result;
        FButtons.push_back(button);
    }
}

void TMessageForm::layOut() {
    const QFontMetrics metrics(font());
    const QSize units = DialogUnits(metrics);
    const int x = units.width();
    const int y = units.height();
    const int horzMargin = MulDivRound(8, x, 4);
    const int vertMargin = MulDivRound(8, y, 8);
    const int horzSpacing = MulDivRound(10, x, 4);
    const int vertSpacing = MulDivRound(10, y, 8);
    const int buttonSpacing = MulDivRound(4, x, 4);
    const int buttonHeight = MulDivRound(14, y, 8);
    int buttonWidth = MulDivRound(50, x, 4);
    for (const QPushButton* button : FButtons)
        buttonWidth = std::max(
            buttonWidth,
            metrics.size(Qt::TextSingleLine | Qt::TextShowMnemonic, button->text()).width() + 8);

    const int textLimit = PresentationScreen()->geometry().width() / 2;
    const QSize textSize =
        metrics
            .boundingRect(QRect(0, 0, textLimit, 0), Qt::TextWordWrap | Qt::TextExpandTabs,
                          FMessage->text())
            .size();
    const int iconTextWidth = textSize.width() + horzSpacing + kIconSize;
    const int iconTextHeight = std::max(textSize.height(), kIconSize);
    const int count = static_cast<int>(FButtons.size());
    const int groupWidth = count * buttonWidth + (count - 1) * buttonSpacing;
    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;

    setFixedSize(clientWidth, clientHeight);
    FImage->setGeometry(horzMargin, vertMargin, kIconSize, kIconSize);
    FMessage->setGeometry(horzMargin + kIconSize + horzSpacing, vertMargin, textSize.width(),
                          textSize.height());
    int left = (clientWidth - groupWidth) / 2;
    const int top = iconTextHeight + vertMargin + vertSpacing;
    for (QPushButton* button : FButtons) {
        button->setGeometry(left, top, buttonWidth, buttonHeight);
        left += buttonWidth + buttonSpacing;
    }
}

QString TMessageForm::copyText() const {
    const QString rule(27, QLatin1Char('-'));
    const QString lineEnd = QStringLiteral("\r\n");
    QString captions;
    for (const QPushButton* button : FButtons)
        captions += QString(button->text()).remove(QLatin1Char('&')) + QStringLiteral("   ");
    return rule + lineEnd + windowTitle() + lineEnd + rule + lineEnd + FMessage->text() + lineEnd +
           rule + lineEnd + captions + lineEnd + rule + lineEnd;
}

void TMessageForm::reject() {
    done(FCancelResult);
}

void TMessageForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_C && event->modifiers() == Qt::ControlModifier) {
        QApplication::beep();
        QGuiApplication::clipboard()->setText(copyText());
        return;
    }
    QDialog::keyPressEvent(event);
}

int MessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    TMessageForm form(text, type, buttons);
    return ExecPresented(form);
}
