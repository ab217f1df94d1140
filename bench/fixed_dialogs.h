#pragma once
// Dialogs for the benchmarks' windows: the open dialog always answers one path, the save dialog
// is always cancelled.
#include "app/file_dialogs.h"

#include <utility>

class FixedDialogs : public FileDialogs {
public:
    explicit FixedDialogs(QString path) : FPath(std::move(path)) {}
    std::optional<QString> runOpen(QWidget*) override { return FPath; }
    std::optional<QString> runSave(QWidget*) override { return std::nullopt; }

private:
    QString FPath;
};
