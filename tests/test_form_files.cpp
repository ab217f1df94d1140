// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the source through the open dialog and saving the results through the save dialog,
// with every failure the user can meet.
#include "app/application.h"
#include "fifo_writer.h"
#include "file_size_limit.h"
#include "form_fixture.h"
#include "other_user.h"
#include "text/file_handle.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

// Counts the paints of a widget made while the wait cursor is shown.
class BusyPaints : public QObject {
public:
    explicit BusyPaints(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QCursor* cursor = QApplication::overrideCursor();
        if (event->type() == QEvent::Paint && cursor && cursor->shape() == Qt::WaitCursor)
            ++count;
        return false;
    }
};

// What stands in the way of a save.
enum SaveObstacle { kNone, kInUse, kFullDisk };

class TestFormFiles : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void lineCountAfterLoading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("status");
        QTest::newRow("empty") << QByteArray() << "0 lignes";
        QTest::newRow("one line, no break") << QByteArray("abc") << "1 lignes";
        QTest::newRow("two lines") << QByteArray("a\r\nb\r\n") << "2 lignes";
        QTest::newRow("lone CR") << QByteArray("a\rb") << "2 lignes";
    }
    void lineCountAfterLoading() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, status);
        ShownForm w;
        const QString path = WriteFile(FDir, "count.txt", bytes.toStdString());
        w.open(path);
        QCOMPARE(w.form.edtSrc->text(), path);
        QCOMPARE(w.status(), status);
        QCOMPARE(w.form.FTotalLines, status.section(' ', 0, 0).toInt());
    }

    void cancellingTheOpenDialogChangesNothing() {
        ShownForm w;
        w.open(WriteFile(FDir, "x.txt", "x\n"));
        w.dialogs->openAnswers.push_back(std::nullopt);
        QTest::mouseClick(w.form.btnOpen, Qt::LeftButton);
        QCOMPARE(w.dialogs->openRuns, 2);
        QCOMPARE(w.form.edtSrc->text(), FDir.filePath("x.txt"));
        QCOMPARE(w.status(), QStringLiteral("1 lignes"));
    }

    void aFailedLoadShowsThePathAndKeepsTheText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("systemText");
        QTest::newRow("missing") << "absent.txt"
                                 << "Le fichier spécifié est introuvable";
        QTest::newRow("missing folder") << "nulle/part.txt"
                                        << "Le chemin d'accès spécifié est introuvable";
        QTest::newRow("directory") << "dossier"
                                   << "Accès refusé";
    }
    void aFailedLoadShowsThePathAndKeepsTheText() {
        QFETCH(QString, name);
        QFETCH(QString, systemText);
        QDir(FDir.path()).mkdir("dossier");
        ShownForm w;
        w.open(WriteFile(FDir, "avant.txt", "avant\r\n"));
        QTest::keyClicks(w.form.edtSel, "avant");
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        const QString path = FDir.filePath(name);
        const QString status = w.status();
        BoxWatcher watcher;
        w.open(path);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text,
                 "Impossible d'ouvrir le fichier \"" + path + "\". " + systemText + ".");
        QCOMPARE(w.form.edtSrc->text(), path);
        QCOMPARE(w.form.mmo->lineCount(), 0); // the path changed: the results went
        QCOMPARE(w.form.mmoText->line(0), std::string("avant"));
        QCOMPARE(w.status(), status);
        QCOMPARE(w.form.FTotalLines, 1);
    }

    void aFileLockedByAnotherProgramIsNotLoaded() {
        const QString path = WriteFile(FDir, "verrou.txt", "x\n");
        const FileHandle other(::open(path.toLocal8Bit().constData(), O_RDWR));
        struct flock lock {};
        lock.l_type = F_WRLCK;
        QVERIFY(fcntl(other.fd(), F_OFD_SETLK, &lock) == 0);
        ShownForm w;
        BoxWatcher watcher;
        w.open(path);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QVERIFY(watcher.seen.front().text.contains("utilisé par un autre processus."));
        QCOMPARE(w.form.mmoText->lineCount(), 0);
    }

    // The text is read from the file's pages: a file rewritten in place while it is shown is
    // told once, when the view reads a page of it again, and the view goes on showing rows.
    void aFileRewrittenWhileShownIsTold() {
        std::string lines;
        for (int i = 0; i < 200000; ++i)
            lines += "ligne " + std::to_string(i) + "\r\n";
        const QString path = WriteFile(FDir, "vivant.txt", lines);
        ShownForm w;
        w.open(path);
        QCOMPARE(w.form.mmoText->lineCount(), 200000);
        WriteFile(FDir, "vivant.txt", std::string(lines.size() / 3, 'x'));
        BoxWatcher watcher;
        for (const int line : {100000, 60000, 120000}) {
            w.form.mmoText->setSelStart(w.form.mmoText->rowOffset(line));
            w.form.mmoText->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text,
                 QStringLiteral("Le fichier affiché a été modifié depuis son ouverture : le texte "
                                "montré peut ne plus lui correspondre. Ouvrez-le de nouveau pour "
                                "le relire."));
        QCOMPARE(w.form.mmoText->lineCount(), 200000);
    }

    // Rewritten while every page shown had been read: told once the window is activated again,
    // which then shows what the file holds.
    void aFileRewrittenWhileAwayIsToldOnReturn() {
        const QString path = WriteFile(FDir, "retour.txt", "avant\r\nligne\r\n");
        ShownForm w;
        w.open(path);
        w.form.mmoText->repaint();
        WriteFile(FDir, "retour.txt", "APRE\r\nligne\r\n");
        BoxWatcher watcher;
        w.form.mmoText->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(watcher.seen.size(), size_t(0));
        QEvent activation(QEvent::ActivationChange);
        QCoreApplication::sendEvent(w.form.mmoText, &activation);
        w.form.mmoText->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(w.form.mmoText->line(0), std::string("APRE"));
    }

    void aBinaryFileLoadsUpToItsFirstNul() {
        std::string bytes;
        for (int b = 1; b < 256; ++b)
            bytes += char(b);
        bytes += '\0';
        bytes += "after";
        ShownForm w;
        w.open(WriteFile(FDir, "binaire.bin", bytes));
        // 1..255 holds LF (10) and CR (13): three rows, nothing after the NUL.
        QCOMPARE(w.status(), QStringLiteral("3 lignes"));
        QVERIFY(w.form.mmoText->line(2).find("after") == std::string::npos);
    }

    void savingWritesEveryResultLineWithCrLf() {
        ShownForm w;
        w.open(WriteFile(FDir, "src.txt", "aa aa\r\nb\r\naa\r\n"));
        w.search("aa");
        QVERIFY(w.form.btnSave->isVisible());
        const QString out = FDir.filePath("resultats.txt");
        WriteFile(FDir, "resultats.txt", std::string(1000, 'x')); // replaced without a question
        w.dialogs->saveAnswers.push_back(out);
        QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
        QCOMPARE(ReadFile(out), std::string(">1,1:aa\r\n>1,4:aa\r\n>3,1:aa\r\n"));
        QVERIFY(!w.form.btnSave->isVisible());
    }

    void cancellingTheSaveDialogHidesTheButton() {
        ShownForm w;
        w.open(WriteFile(FDir, "src.txt", "aa\r\n"));
        w.search("aa");
        w.dialogs->saveAnswers.push_back(std::nullopt);
        QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
        QCOMPARE(w.dialogs->saveRuns, 1);
        QVERIFY(!w.form.btnSave->isVisible());
    }

    void aRunThatFoundNothingSavesWithoutADialog() {
        ShownForm w;
        w.open(WriteFile(FDir, "src.txt", "aa\r\n"));
        w.search("zz");
        QVERIFY(w.form.btnSave->isVisible());
        QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
        QCOMPARE(w.dialogs->saveRuns, 0);
        QVERIFY(!w.form.btnSave->isVisible());
    }

    // Whatever stops a save, the button stays for another try and the file is as it was.
    void aFailedSaveKeepsTheButton_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("obstacle");
        const QString missing = FDir.filePath("nulle/part.txt");
        QTest::newRow("missing folder") << missing
                                        << "Impossible de créer le fichier \"" + missing +
                                               "\". Le chemin d'accès spécifié est introuvable."
                                        << int(kNone);
        QTest::newRow("full disk")
            << FDir.filePath("plein.txt") << "Erreur d'écriture dans le flux." << int(kFullDisk);
        QTest::newRow("directory")
            << FDir.path()
            << "Impossible de créer le fichier \"" + FDir.path() + "\". Accès refusé."
            << int(kNone);
        const QString busy = FDir.filePath("lu.txt");
        QTest::newRow("file in use")
            << busy
            << "Impossible de créer le fichier \"" + busy +
                   "\". Le processus ne peut pas accéder au fichier car ce fichier est utilisé "
                   "par un autre processus."
            << int(kInUse);
        QTest::newRow("device")
            << "/dev/full"
            << "Impossible de créer le fichier \"/dev/full\". Ce n'est pas un "
               "fichier ordinaire : c'est un tube, un périphérique ou un socket."
            << int(kNone);
    }
    void aFailedSaveKeepsTheButton() {
        QFETCH(QString, path);
        QFETCH(QString, message);
        QFETCH(int, obstacle);
        const std::string before(20000, 'g'); // more than the results: a cut file shows
        FileHandle other;
        if (obstacle != kNone)
            WriteFile(FDir, QFileInfo(path).fileName(), before);
        if (obstacle == kInUse) {
            other = FileHandle(::open(path.toLocal8Bit().constData(), O_RDONLY));
            struct flock lock {};
            lock.l_type = F_RDLCK;
            QVERIFY(fcntl(other.fd(), F_OFD_SETLK, &lock) == 0);
        }
        ShownForm w;
        w.open(WriteFile(FDir, "src.txt", "aa\r\n"));
        w.search("aa");
        w.dialogs->saveAnswers.push_back(path);
        BoxWatcher watcher;
        {
            const FileSizeLimit limit(obstacle == kFullDisk ? 4 : RLIM_INFINITY);
            QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
        }
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, message);
        QVERIFY(w.form.btnSave->isVisible());
        QCOMPARE(w.form.mmo->lineCount(), 1);
        if (obstacle != kNone)
            QCOMPARE(ReadFile(path), before); // nothing changed
    }

    // Results saved onto a link that another user planted in a shared folder, naming a file of
    // the user: refused as the system refuses it, the file kept, the button still there.
    void aLinkPlantedByAnotherUserIsRefused() {
        if (!IsAdministrator())
            QSKIP("needs the administrator, to play another user and set fs.protected_symlinks");
        QTemporaryDir shared;
        QVERIFY(MakeShared(shared.path().toStdString()));
        const QString important = WriteFile(FDir, "important.txt", "à garder");
        const QString planted = shared.filePath("resultats.txt");
        QVERIFY(PlantLink(important.toStdString(), planted.toStdString()));
        const ProtectedSymlinks protection(1);
        if (!protection.set())
            QSKIP("fs.protected_symlinks cannot be changed here");
        ShownForm w;
        w.open(WriteFile(FDir, "src.txt", "aa\r\n"));
        w.search("aa");
        w.dialogs->saveAnswers.push_back(planted);
        BoxWatcher watcher;
        QTest::mouseClick(w.form.btnSave, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text,
                 "Impossible de créer le fichier \"" + planted + "\". Accès refusé.");
        QVERIFY(w.form.btnSave->isVisible());
        QCOMPARE(ReadFile(important), std::string("à garder"));
        QCOMPARE(
            QDir(shared.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"resultats.txt"});
    }

    // A load and a run show the wait cursor while they hold the window: the window is painted with
    // it before the load, the progress text during a run. It is gone after both, and after a run
    // that failed.
    void aBusyWindowShowsTheWaitCursor() {
        ShownForm w;
        const BusyPaints window(&w.form);
        const BusyPaints status(w.form.StatusBar);
        w.open(WriteFile(FDir, "x.txt", "x\n"));
        QVERIFY(window.count > 0);
        QVERIFY(!QApplication::overrideCursor());

        const QString fifo = FDir.filePath("lent");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        w.open(fifo);
        const FifoWriter pipe(fifo.toStdString());
        std::thread writer([fd = pipe.fd()] { // a run of half a second
            for (int i = 0; i < 10; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (::write(fd, "mot\n", 4) != 4)
                    break;
            }
            ::close(fd);
        });
        w.search(QStringLiteral("mot"));
        writer.join();
        QCOMPARE(w.results().size(), 10);
        QVERIFY(status.count > 0);
        QVERIFY(!QApplication::overrideCursor());

        ::unlink(fifo.toLocal8Bit().constData());
        BoxWatcher watcher;
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), std::size_t(1));
        QVERIFY(!QApplication::overrideCursor());
    }

    // A FIFO that no program writes to loads as an empty text at once, without waiting.
    void aFifoWithoutAWriterLoadsAnEmptyText() {
        const QString fifo = FDir.filePath("canal");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        ShownForm w;
        w.open(WriteFile(FDir, "avant.txt", "avant\r\n"));
        BoxWatcher watcher;
        w.open(fifo);
        QVERIFY(watcher.seen.empty());
        QCOMPARE(w.status(), QStringLiteral("0 lignes"));
        QCOMPARE(w.form.mmoText->lineCount(), 0);
        w.search("a");
        QVERIFY(watcher.seen.empty());
        QVERIFY(w.results().isEmpty());
        QCOMPARE(w.form.FCurrentLine, 0);
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormFiles test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_files.moc"
