#pragma once
// The open and save dialogs of the main window. Both carry the same settings: the filter list
// "Fichiers texte (*.txt)" / "Tous les fichiers (*.*)", the default extension txt, no read-only
// box, no question before overwriting, a typed name that need not exist; each opens with the file
// name and filter of its last accepted run. Tests replace them through TFormMain::setFileDialogs.

#include <QString>
#include <QStringList>
#include <optional>

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

// kDialogFilter as Qt's list of name filters: "Fichiers texte (*.txt)", "Tous les fichiers (*)".
QStringList NameFilters(const QString& filter);

// The toolkit's standard dialogs.
class StandardFileDialogs : public FileDialogs {
public:
    std::optional<QString> runOpen(QWidget* parent) override;
    std::optional<QString> runSave(QWidget* parent) override;

private:
    struct Memory {
        QString fileName; // last accepted file, empty before the first run
        QString filter;   // last accepted filter
    };
    std::optional<QString> run(QWidget* parent, bool save, Memory& memory);

    Memory FOpen;
    Memory FSave;
};
