// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/modal_presenter.h"
#include "text/errors.h"

#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QWidget>
#include <new>

// The icon and the glyphs are compiled into a static library: they must be registered by hand,
// from outside any namespace.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

// The command line as Qt is shown it: the program's name alone. The program takes no arguments,
// and Qt's own options (-platform, -style, -reverse, -qwindowtitle...) change nothing either; its
// environment variables still apply. Qt keeps both for the application's life.
int& OneWord() {
    static int count = 1;
    return count;
}

char** ProgramNameOnly(int argc, char** argv) {
    static char fallback[] = "trouve";
    static char* words[] = {fallback, nullptr};
    if (argc > 0 && argv && argv[0])
        words[0] = argv[0];
    return words;
}

} // namespace

TApplication::TApplication(int argc, char** argv)
    : QApplication(OneWord(), ProgramNameOnly(argc, argv)) {
    InitResources();
    setWindowIcon(QIcon(QStringLiteral(":/trouve.xpm")));
    FTitle = TitleFromPath(applicationFilePath());
    setApplicationName(FTitle); // not the display name: Qt would append it to every caption
    // Qt's own texts in French, like the rest: the catalogue for its menus and dialogs, the
    // default locale for what it words by locale (the file types the dialogs show).
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    installTranslator(&FQtFrench);
}

QString TApplication::TitleFromPath(const QString& executablePath) {
    QString name = executablePath.mid(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name.left(1) + name.mid(1).toLower();
}

QString TApplication::ReportText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void TApplication::ReportError(const std::exception& error) {
    // End a drag or a selection in progress, so that the box does not leave it half done.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    QWidget* owner = FMainWindow ? FMainWindow.data() : activeWindow();
    QMessageBox box(QMessageBox::Critical, FTitle, ReportText(QString::fromUtf8(error.what())),
                    QMessageBox::Ok, owner);
    ExecPresented(box);
}

void TApplication::ReportCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ReportError(EOutOfMemory());
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

TApplication* App() {
    return static_cast<TApplication*>(QCoreApplication::instance());
}
