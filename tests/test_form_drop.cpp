// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped on the window, sent as the drag-and-drop events a file manager's drag produces.
#include "app/application.h"
#include "form_fixture.h"
#include "widgets/gradient.h"

#include <QMimeData>
#include <QUrl>
#include <map>

namespace {

constexpr Qt::DropActions kFileManagerActions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

// What the window answered to a drag that ended with a drop.
struct DropAnswer {
    bool entered = false; // the drag was accepted on entering
    bool dropped = false; // the drop was accepted
    Qt::DropAction action = Qt::IgnoreAction;
};

// Drags the data into the widget's centre, proposing a move as a file manager does within one
// disk, drops it there, and lets the window handle what follows.
DropAnswer DragAndDrop(QWidget* widget, const QMimeData& data,
                       Qt::DropActions actions = kFileManagerActions) {
    const QPoint centre = widget->rect().center();
    DropAnswer answer;
    QDragEnterEvent enter(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(widget, &enter);
    answer.entered = enter.isAccepted();
    QDropEvent drop(centre, actions, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(widget, &drop);
    answer.dropped = drop.isAccepted();
    answer.action = drop.dropAction();
    QCoreApplication::processEvents();
    return answer;
}

// What a file manager offers for the given paths: their addresses, and their names as text.
std::unique_ptr<QMimeData> Files(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    return data;
}

} // namespace

class TestFormDrop : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    // A window showing avant.txt, with the result of a search for "avant".
    struct Searched : ShownForm {
        explicit Searched(const QTemporaryDir& dir) {
            open(WriteFile(dir, "avant.txt", "avant\r\n"));
            search("avant");
        }
    };

private slots:
    // Wherever it lands, one file opens: its path first (the results go), its text, its count.
    void aDroppedFileOpensAsTheOpenDialogWould_data() {
        QTest::addColumn<QString>("place");
        for (const char* place : {"mmoText", "mmo", "edtSel", "edtSrc", "Gradient1"})
            QTest::newRow(place) << place;
    }
    void aDroppedFileOpensAsTheOpenDialogWould() {
        QFETCH(QString, place);
        Searched w(FDir);
        const std::map<QString, QWidget*> places = {{"mmoText", w.form.mmoText},
                                                    {"mmo", w.form.mmo},
                                                    {"edtSel", w.form.edtSel},
                                                    {"edtSrc", w.form.edtSrc},
                                                    {"Gradient1", w.form.Gradient1}};
        QWidget* const target = places.at(place);
        const QString path = WriteFile(FDir, "déposé.txt", "un\r\ndeux\r\n");
        const auto data = Files({path});
        const DropAnswer answer = DragAndDrop(target, *data);
        QVERIFY(answer.entered);
        QVERIFY(answer.dropped);
        QCOMPARE(answer.action, Qt::CopyAction); // never a move: the file manager would delete it
        QCOMPARE(w.form.edtSrc->text(), path);
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("avant"));
        QCOMPARE(w.form.mmo->lineCount(), 0);
        QVERIFY(!w.form.btnSave->isVisible());
        QCOMPARE(w.form.mmoText->line(1), std::string("deux"));
        QCOMPARE(w.status(), QStringLiteral("2 lignes"));
        QCOMPARE(w.form.FTotalLines, 2);
        QCOMPARE(w.dialogs->openRuns, 1); // the first load only
    }

    void aDroppedFileThatCannotBeOpenedGetsTheOpenMessage() {
        Searched w(FDir);
        const QString path = FDir.filePath("absent.txt");
        const auto data = Files({path});
        const QString status = w.status();
        BoxWatcher watcher;
        QVERIFY(DragAndDrop(w.form.mmoText, *data).dropped);
        QTRY_COMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, "Impossible d'ouvrir le fichier \"" + path +
                                                "\". Le fichier spécifié est introuvable.");
        QCOMPARE(w.form.edtSrc->text(), path);
        QCOMPARE(w.form.mmoText->line(0), std::string("avant"));
        QCOMPARE(w.status(), status);
        QCOMPARE(w.form.FTotalLines, 1);
    }

    // Anything but one file of this machine, offered for copying, is refused and changes nothing.
    void anythingElseIsRefused_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"two files", "a folder", "text", "a web address",
                                 "another machine's file", "a move only"})
            QTest::newRow(kind) << kind;
    }
    void anythingElseIsRefused() {
        QFETCH(QString, kind);
        Searched w(FDir);
        const QString file = WriteFile(FDir, "autre.txt", "autre\r\n");
        std::unique_ptr<QMimeData> data = Files({file});
        Qt::DropActions actions = kFileManagerActions;
        if (kind == "two files")
            data = Files({file, FDir.filePath("avant.txt")});
        else if (kind == "a folder")
            data = Files({FDir.path()});
        else if (kind == "text")
            data->removeFormat(QStringLiteral("text/uri-list"));
        else if (kind == "a web address")
            data->setUrls({QUrl("https://example.org/autre.txt")});
        else if (kind == "another machine's file")
            data->setUrls({QUrl("file://serveur.example.org" + file)});
        else if (kind == "a move only")
            actions = Qt::MoveAction;
        BoxWatcher watcher;
        const DropAnswer answer = DragAndDrop(w.form.edtSel, *data, actions);
        QVERIFY(!answer.entered);
        QVERIFY(!answer.dropped);
        QVERIFY(watcher.seen.empty());
        QCOMPARE(w.form.edtSrc->text(), FDir.filePath("avant.txt"));
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("avant"));
        QCOMPARE(w.results(), QByteArrayList{">1,1:avant"});
        QCOMPARE(w.form.mmoText->line(0), std::string("avant"));
    }

    void noDropWhileADialogIsOpen() {
        Searched w(FDir);
        QDialog dialog(&w.form);
        dialog.setModal(true);
        dialog.show();
        const auto data = Files({WriteFile(FDir, "autre.txt", "autre\r\n")});
        QVERIFY(!DragAndDrop(w.form.mmoText, *data).entered);
        QCOMPARE(w.form.edtSrc->text(), FDir.filePath("avant.txt"));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormDrop test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_drop.moc"
