// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the error report: the title, the full-stop rule, the show states, and the error box
// that every escaping error reaches.
#include "app/application.h"
#include "app/handler.h"
#include "app/show_state.h"
#include "text/errors.h"
#include "ui_helpers.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QPushButton>
#include <memory>

Q_DECLARE_METATYPE(TShowState)

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void titleFromPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "/usr/bin/trouve"
                               << "trouve";
        QTest::newRow("upper case") << "/usr/bin/TROUVE"
                                    << "Trouve";
        QTest::newRow("cut at first dot") << "/home/u/trouve.texte"
                                          << "trouve";
        QTest::newRow("dots in folders") << "/opt/a.b/Outil.bin"
                                         << "Outil";
        QTest::newRow("two dots") << "/x/trouve.texte.exe"
                                  << "trouve";
        QTest::newRow("accented") << "/x/ÉDITEUR"
                                  << "Éditeur";
        QTest::newRow("no folder") << "TROUVE.EXE"
                                   << "Trouve";
    }
    void titleFromPath() {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TApplication::TitleFromPath(path), title);
    }

    void reportText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("letter") << "Erreur E/S 32"
                                << "Erreur E/S 32.";
        QTest::newRow("full stop") << "Fini."
                                   << "Fini.";
        QTest::newRow("blank") << "Impossible d'ouvrir le fichier \"/a\". "
                               << "Impossible d'ouvrir le fichier \"/a\". ";
        QTest::newRow("quote") << "\"x\""
                               << "\"x\"";
        QTest::newRow("parenthesis") << "Indice (2)"
                                     << "Indice (2)";
        QTest::newRow("hyphen") << "a-"
                                << "a-";
        QTest::newRow("slash is above") << "a/"
                                        << "a/.";
        QTest::newRow("accent") << "Mémoire insuffisante"
                                << "Mémoire insuffisante.";
    }
    void reportText() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(TApplication::ReportText(message), shown);
    }

    void theErrorBoxIsCriticalCaptionedWithTheTitle() {
        QWidget window;
        App()->setMainWindow(&window);
        window.show();
        BoxWatcher watcher;
        App()->ReportError(EInOutError(2));
        QCOMPARE(watcher.seen.size(), size_t(1));
        const SeenBox& box = watcher.seen.front();
        QCOMPARE(box.caption, App()->title());
        QCOMPARE(box.text, QStringLiteral("Fichier introuvable."));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons.size(), 1);
        QVERIFY(window.isEnabled());
    }

    void anErrorEscapingAnEventHandlerIsReportedAndTheLoopGoesOn() {
        struct Failing : QWidget {
            void mousePressEvent(QMouseEvent*) override { throw std::bad_alloc(); }
        } failing;
        failing.resize(50, 50);
        failing.show();
        QVERIFY(QTest::qWaitForWindowExposed(&failing));
        BoxWatcher watcher;
        QTest::mouseClick(&failing, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Mémoire insuffisante."));
        QTest::mouseClick(&failing, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), size_t(2));
    }

    void aChangeHandlerFiredByAnotherHandlerFailsOnItsOwn() {
        QLineEdit field;
        QPushButton button;
        bool assignerWentOn = false;
        QObject::connect(&field, &QLineEdit::textChanged, &field, Guarded([](const QString&) {
            throw EInvalidOperation("Propriété QProgressBar hors limites");
        }));
        QObject::connect(&button, &QPushButton::clicked, &button, Guarded([&] {
            field.setText(QStringLiteral("x"));
            assignerWentOn = true;
        }));
        BoxWatcher watcher;
        button.click();
        QVERIFY(assignerWentOn);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Propriété QProgressBar hors limites."));
    }

    void qtsOwnTextsAreFrench() {
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList entries;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << action->text().section(QLatin1Char('\t'), 0, 0);
        QCOMPARE(entries, QStringList({"&Annuler", "&Rétablir", "Co&uper", "Cop&ier", "Co&ller",
                                       "Supprimer", "Tout sélectionner"}));
        QFileDialog open;
        QCOMPARE(open.windowTitle(), QStringLiteral("Ouvrir"));
        QFileDialog save;
        save.setAcceptMode(QFileDialog::AcceptSave);
        QCOMPARE(save.windowTitle(), QStringLiteral("Enregistrer sous"));
        // The dialog's type column: a word the catalogue lacks, and a word of the locale.
        QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder",
                                             "All other platforms"),
                 QStringLiteral("Dossier"));
        QCOMPARE(QMimeDatabase().mimeTypeForName(QStringLiteral("text/plain")).comment(),
                 QStringLiteral("document texte brut"));
    }

    // main() hands Qt's own options to the application object; the real window's test shows
    // that -qwindowtitle and -geometry, read by the X11 platform, change nothing either.
    void theCommandLineChangesNothing() {
        QCOMPARE(QCoreApplication::arguments().size(), 1);
        QCOMPARE(QApplication::layoutDirection(), Qt::LeftToRight);
    }

    void showStates_data() {
        QTest::addColumn<TShowState>("state");
        QTest::addColumn<Qt::WindowState>("expected");
        QTest::newRow("normal") << TShowState::Normal << Qt::WindowNoState;
        QTest::newRow("maximised") << TShowState::Maximized << Qt::WindowMaximized;
        QTest::newRow("minimised") << TShowState::MinimizedNoActivate << Qt::WindowMinimized;
    }
    void showStates() {
        QFETCH(TShowState, state);
        QFETCH(Qt::WindowState, expected);
        QWidget window;
        ShowMainWindow(window, state);
        QCOMPARE(window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized),
                 Qt::WindowStates(expected));
        QCOMPARE(kStartShowState, TShowState::Normal);
    }
};

// Words that Qt itself would read on a command line: the application object is given them, and
// must change nothing for them.
char kReverse[] = "-reverse";
char kTitleOption[] = "-qwindowtitle";
char kTitle[] = "Bidon";
char kGeometryOption[] = "-geometry";
char kGeometry[] = "200x100+0+0";

int main(int argc, char** argv) {
    char* command[] = {argv[0],         kReverse,  kTitleOption, kTitle,
                       kGeometryOption, kGeometry, nullptr};
    int words = 6;
    TApplication app(words, command);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_application.moc"
