// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The open and save dialogs of the main window. Both carry the same settings: the filter list
// "Fichiers texte (*.txt)" / "Tous les fichiers (*.*)", the default extension txt, no read-only
// box, no question before overwriting, a typed name that need not exist; each opens with the file
// name and filter of its last accepted run. Tests replace them through TFormMain::setFileDialogs.

#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<QString> runOpen(QWidget* parent) = 0;
    virtual std::optional<QString> runSave(QWidget* parent) = 0;
};

// The filter as one string, display text and pattern alternating between vertical bars.
inline constexpr const char* kDialogFilter =
    "Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*";

// The texts of kDialogFilter's choices, as the dialog shows them.
QStringList FilterTexts(const QString& filter);
// The same choices as the name filters Qt applies: "*.*", every file, becomes "*" (Qt's "*.*"
// would hide names without a dot): "Fichiers texte (*.txt)", "Tous les fichiers (*)".
QStringList NameFilters(const QString& filter);

// What a dialog remembers of its last accepted run.
struct FileDialogMemory {
    QString fileName; // empty before the first run
    int filter = 0;   // index of the filter choice
};

// Gives dialog the settings above, the file name and filter choice of memory, and the choices'
// own texts.
void SetUpFileDialog(QFileDialog& dialog, bool save, const FileDialogMemory& memory);
// The index of the filter choice that dialog shows selected.
int SelectedFilter(const QFileDialog& dialog);

// The toolkit's standard dialogs.
class StandardFileDialogs : public FileDialogs {
public:
    std::optional<QString> runOpen(QWidget* parent) override;
    std::optional<QString> runSave(QWidget* parent) override;

private:
    std::optional<QString> run(QWidget* parent, bool save, FileDialogMemory& memory);

    FileDialogMemory FOpen;
    FileDialogMemory FSave;
};
