// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: its title (the executable's base name), the program icon, Qt's French
// texts, and the report of every error that escapes a handler.

#include "app/qt_french.h"

#include <QApplication>
#include <QPointer>
#include <exception>

class TApplication : public QApplication {
    Q_OBJECT
public:
    // Only the program's name is read of the command line.
    TApplication(int argc, char** argv);

    // The executable's base name: what follows the last '/', cut at its first '.', every character
    // after the first in lower case ("/opt/a.b/Outil.bin" gives "Outil", "TROUVE" gives "Trouve").
    static QString TitleFromPath(const QString& executablePath);
    // The text an error box shows: the message, with a full stop appended when its last character
    // has a code above that of '.'.
    static QString ReportText(const QString& message);

    QString title() const { return FTitle; }
    // The first window created: the owner of the error boxes.
    void setMainWindow(QWidget* window) { FMainWindow = window; }
    QWidget* mainWindow() const { return FMainWindow; }

    // Shows the error in a critical message box captioned with the title, after ending any mouse
    // capture. Returns when the box is closed.
    void ReportError(const std::exception& error);
    void ReportCurrentException();

    // Every event is processed inside this net: an error escaping an event handler is reported
    // here and the loop goes on.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QString FTitle;
    QPointer<QWidget> FMainWindow;
    TQtFrench FQtFrench;
};

// The running application object.
TApplication* App();
