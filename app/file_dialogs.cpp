// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_dialogs.h"

#include "app/modal_presenter.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

namespace {

// The combo box of Qt's own file dialog that lists the filter choices.
QComboBox* FilterCombo(const QFileDialog& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

// Shows each choice by its own text; the dialog still applies the name filter of its index.
void ShowFilterTexts(QFileDialog& dialog, const QStringList& texts) {
    QComboBox* combo = FilterCombo(dialog);
    if (!combo)
        return;
    for (int i = 0; i < std::min(combo->count(), int(texts.size())); ++i)
        combo->setItemText(i, texts[i]);
}

// Qt gives the default extension to every name without one, also to an existing file picked in
// the open dialog's list: there the name as picked wins when only it exists.
QString OpenedFile(const QString& chosen) {
    const QString extension = QStringLiteral(".txt");
    if (!chosen.endsWith(extension) || QFileInfo::exists(chosen))
        return chosen;
    const QFileInfo picked(chosen.chopped(extension.size()));
    return picked.exists() && !picked.isDir() ? picked.filePath() : chosen;
}

} // namespace

QStringList FilterTexts(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList texts;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        texts << parts[i];
    return texts;
}

QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns between the parentheses.
        const QString& pattern = parts[i + 1];
        const QString qtPattern = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
        QString text = parts[i];
        text.replace(QLatin1Char('(') + pattern + QLatin1Char(')'),
                     QLatin1Char('(') + qtPattern + QLatin1Char(')'));
        result << text;
    }
    return result;
}

void SetUpFileDialog(QFileDialog& dialog, bool save, const FileDialogMemory& memory) {
    // Qt's own dialog on every desktop: French through Qt's translations, the same options
    // everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // AnyFile: a typed name that does not exist is accepted; loading then reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const QString filter = QString::fromUtf8(kDialogFilter);
    const QStringList filters = NameFilters(filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(memory.filter, filters.front()));
    ShowFilterTexts(dialog, FilterTexts(filter));
    if (!memory.fileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(memory.fileName).absolutePath());
        dialog.selectFile(memory.fileName);
    }
}

int SelectedFilter(const QFileDialog& dialog) {
    if (const QComboBox* combo = FilterCombo(dialog))
        return std::max(0, combo->currentIndex());
    return std::max(
        0, int(NameFilters(QString::fromUtf8(kDialogFilter)).indexOf(dialog.selectedNameFilter())));
}

std::optional<QString> StandardFileDialogs::runOpen(QWidget* parent) {
    return run(parent, false, FOpen);
}

std::optional<QString> StandardFileDialogs::runSave(QWidget* parent) {
    return run(parent, true, FSave);
}

std::optional<QString> StandardFileDialogs::run(QWidget* parent, bool save,
                                                FileDialogMemory& memory) {
    QFileDialog dialog(parent);
    SetUpFileDialog(dialog, save, memory);
    // Enter that accepts a name while the completion list shows can leave no window active, and
    // the keyboard nowhere: the window and the focus are given back as after a message box.
    if (ExecRestoringFocus(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    memory = {save ? chosen : OpenedFile(chosen), SelectedFilter(dialog)};
    return memory.fileName;
}
