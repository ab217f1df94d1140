// SPDX-License-Identifier: GPL-3.0-or-later
// The window for those who do not see it or do not use a mouse: what screen readers are told of
// it, and the keyboard: Enter clicks the focused button, runs Exec. from the search field and
// jumps from a result line; Ctrl+O opens and Ctrl+S saves.
#include "app/edit.h"
#include "app/form_main.h"
#include "app/handler.h"
#include "widgets/accessibility.h"
#include "widgets/text_view.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <tuple>

namespace {

// A button without a caption is named for screen readers, and by its tooltip for the eye.
void NameButton(QPushButton* button, const QString& name) {
    button->setAccessibleName(name);
    button->setToolTip(name);
}

} // namespace

void TFormMain::setUpAccess() {
    InstallAccessibleInterfaces(); // the window is a frame named by its caption
    NameButton(btnOpen, QStringLiteral("Ouvrir un fichier source"));
    NameButton(btnSave, QStringLiteral("Enregistrer les résultats"));
    // The edits' labels end with a blank, which the names of the edits and of the labels, as a
    // screen reader reads them, leave out.
    for (auto [label, edit, name] : {std::tuple{lblSrc, edtSrc, QStringLiteral("Fichier source")},
                                     std::tuple{lblSel, edtSel, QStringLiteral("Chaine")}}) {
        label->setAccessibleName(name);
        edit->setAccessibleName(name);
    }
    mmo->setAccessibleName(QStringLiteral("Résultats"));
    mmoText->setAccessibleName(QStringLiteral("Texte du fichier"));
    // A button's shortcut acts only while the button is shown and enabled.
    btnOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    btnSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(mmo, &TextView::returnPressed, this, Guarded([this] { mmoDblClick(); }));
}

// Enter reaches the window when the focused control leaves it: a push button that is not a
// dialog's default, or an edit.
void TFormMain::keyPressEvent(QKeyEvent* event) {
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QWidget* focus = focusWidget();
    auto* button = focus == edtSel ? btnGo : qobject_cast<QPushButton*>(focus);
    if (enter && button && button->isEnabled()) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
