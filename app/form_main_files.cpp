// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the source text and saving the result list.
#include "app/busy_cursor.h"
#include "app/busy_work.h"
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
    // Painted whole, with the wait cursor, before the load begins: no trace of the dialog that
    // has just closed stays on the window.
    repaint();
    // The file is read on a worker thread while the window waits without taking input; the view
    // shows its old text until it adopts the new one.
    const std::string file = path.toStdString();
    const TextLimits limits = mmoText->model().limits();
    OpenedText loaded;
    RunBusy([&] { loaded = TextModel::readFile(file, limits); });
    FSourceEncoding = loaded.encoding; // kept also when the view refuses the text
    mmoText->adopt(std::move(loaded));
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
