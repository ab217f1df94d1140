#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns between the parentheses; "*.*" means every file, which is "*"
        // here (Qt's "*.*" would hide names without a dot).
        const QString& pattern = parts[i + 1];
        const QString qtPattern = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
        QString text = parts[i];
        text.replace(QLatin1Char('(') + pattern + QLatin1Char(')'),
                     QLatin1Char('(') + qtPattern + QLatin1Char(')'));
        result << text;
    }
    return result;
}

std::optional<QString> StandardFileDialogs::runOpen(QWidget* parent) {
    return run(parent, false, FOpen);
}

std::optional<QString> StandardFileDialogs::runSave(QWidget* parent) {
    return run(parent, true, FSave);
}

std::optional<QString> StandardFileDialogs::run(QWidget* parent, bool save, Memory& memory) {
    QFileDialog dialog(parent);
    // Qt's own dialog on every desktop: French through Qt's translations, the same options
    // everywhere.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // AnyFile: a typed name that does not exist is accepted; loading then reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const QStringList filters = NameFilters(QString::fromUtf8(kDialogFilter));
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(memory.filter.isEmpty() ? filters.front() : memory.filter);
    if (!memory.fileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(memory.fileName).absolutePath());
        dialog.selectFile(memory.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    memory.fileName = dialog.selectedFiles().front();
    memory.filter = dialog.selectedNameFilter();
    return memory.fileName;
}
