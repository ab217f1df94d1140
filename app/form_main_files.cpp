// Loading the source text and saving the result list.
#include "app/busy_cursor.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "text/strings.h"
#include "widgets/prg_status_bar.h"
#include "widgets/text_view.h"

#include <QPushButton>

void TFormMain::btnOpenClick() {
    const std::optional<QString> path = FDialogs->runOpen(this);
    if (path)
        openSource(*path);
}

void TFormMain::openSource(const QString& path) {
    // The path is shown before the file is read, so a failed load leaves it in place.
    edtSrc->setText(path);
    const BusyCursor busy;
    // Painted whole before the load, which takes the event loop away: no trace of the dialog
    // that has just closed stays on the window, and the wait cursor reaches the screen with it.
    repaint();
    mmoText->loadFromFile(path.toStdString());
    FTotalLines = mmoText->lineCount();
    StatusBar->setPanelText(0, QString::fromStdString(DecimalText(FTotalLines)) +
                                   QStringLiteral(" lignes"));
    StatusBar->announcePanelText(0);
    StatusBar->announce(StatusBar->panelText(0));
}

void TFormMain::btnSaveClick() {
    if (mmo->lineCount() >= 1) {
        if (const std::optional<QString> path = FDialogs->runSave(this))
            mmo->saveToFile(path->toStdString());
    }
    // Not reached after a failed save, so the user can try again.
    btnSave->setVisible(false);
}
