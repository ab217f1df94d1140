// SPDX-License-Identifier: GPL-3.0-or-later
// The search run as the user starts it with Exec.: the result lines, the trimming of the search
// string, the progress text, and the run's failures.
#include "app/application.h"
#include "form_fixture.h"
#include "text/file_handle.h"
#include "text/text_buffer.h"
#include "widgets/qtext.h"

#include <QClipboard>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <new>

class TestFormSearch : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void resultLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArrayList>("results");
        QTest::newRow("word in context")
            << QByteArray("une surprise-partie\r\n") << QByteArray("pri")
            << QByteArrayList{">1,8:surprise-partie"};
        QTest::newRow("overlapping aa") << QByteArray("aaaa\r\n") << QByteArray("aa")
                                        << QByteArrayList{">1,1:aaaa", ">1,2:aaaa", ">1,3:aaaa"};
        QTest::newRow("overlapping aba") << QByteArray("x\nababa") << QByteArray("aba")
                                         << QByteArrayList{">2,1:ababa", ">2,3:ababa"};
        QTest::newRow("case matters") << QByteArray("maison Maison\r\n") << QByteArray("Maison")
                                      << QByteArrayList{">1,8:Maison"};
        QTest::newRow("first column and last")
            << QByteArray("ab ab") << QByteArray("ab") << QByteArrayList{">1,1:ab", ">1,4:ab"};
        QTest::newRow("punctuation gives no word")
            << QByteArray("a,b\r\n") << QByteArray(",b") << QByteArrayList{">1,2:"};
        QTest::newRow("upper-case accent is no word character")
            << QByteArray("\xC9t\xE9") << QByteArray("t\xE9") << QByteArrayList{">1,2:t\xE9"};
        QTest::newRow("lone CR joins the line") << QByteArray("ab\rcd\r\nabcd") << QByteArray("bc")
                                                << QByteArrayList{">1,2:abcd", ">2,2:abcd"};
        QTest::newRow("end-of-file mark ends the search")
            << QByteArray("ab\r\nab\x1A"
                          "ab\r\nab")
            << QByteArray("ab") << QByteArrayList{">1,1:ab", ">2,1:ab"};
        QTest::newRow("longer than the line")
            << QByteArray("ab\r\n") << QByteArray("abc") << QByteArrayList{};
    }
    void resultLines() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArrayList, results);
        ShownForm w;
        w.open(WriteFile(FDir, "t.txt", text.toStdString()));
        w.form.edtSel->setText(ToQString(pattern.toStdString()));
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(w.results(), results);
        QVERIFY(w.form.btnSave->isVisible());
    }

    // A UTF-8 source is searched by character; a string that Windows-1252 cannot hold occurs
    // nowhere in a Windows-1252 source, without an error.
    void theSourceEncodingDecidesColumnsAndWords() {
        ShownForm w;
        const auto paste = [&](const QString& text) { // QTest types ASCII only
            w.form.edtSel->setText(text);
            QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        };
        w.open(WriteFile(FDir, "utf8.txt",
                         "\xEF\xBB\xBF\xCE\xB1\xCE\xB2 \xC3\xA9t\xC3\xA9\r\n"
                         "\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80t\xC3\xA9"));
        paste(QStringLiteral("té"));
        QCOMPARE(w.results(),
                 (QByteArrayList{">1,5:\xC3\xA9t\xC3\xA9", ">2,2:t\xC3\xA9", ">2,6:t\xC3\xA9"}));
        paste(QStringLiteral("β é"));
        QCOMPARE(w.results(), QByteArrayList{">1,2:\xCE\xB1\xCE\xB2"});

        w.open(WriteFile(FDir, "cp1252.txt", "\xE9t\xE9 \xAB\xBB\r\n"));
        BoxWatcher watcher;
        paste(QStringLiteral("été"));
        QCOMPARE(w.results(), QByteArrayList{">1,1:\xE9t\xE9"});
        paste(QStringLiteral("βé"));
        QCOMPARE(w.results(), QByteArrayList{});
        QVERIFY(watcher.seen.empty());
        QVERIFY(w.form.btnSave->isVisible());
    }

    // A file the text view refuses is still the source that Exec. reads from disk, in its own
    // encoding, while the view keeps the text and the encoding it showed.
    void aFileBeyondTheViewsCapacityIsSearchedFromDisk() {
        ShownForm w;
        w.form.mmoText->setRowCapacity(2);
        w.open(WriteFile(FDir, "petit.txt", "avant\r\n"));
        BoxWatcher watcher;
        const QString large = WriteFile(FDir, "grand.txt", "un mot\r\ndeux mots\r\ntrois mots\r\n");
        w.open(large);
        QCOMPARE(watcher.seen.size(), std::size_t(1));
        QCOMPARE(watcher.seen.front().text,
                 QStringLiteral("Le texte dépasse la capacité du mémo."));
        QCOMPARE(w.form.mmoText->line(0), std::string("avant"));
        QCOMPARE(w.form.edtSrc->text(), large);
        w.search(QStringLiteral("mot"));
        QCOMPARE(w.results(), (QByteArrayList{">1,4:mot", ">2,6:mots", ">3,7:mots"}));

        w.open(WriteFile(FDir, "utf8.txt", "d\xC3\xA9j\xC3\xA0 vu" + std::string(10, '\n')));
        w.search(QStringLiteral("j"));
        QCOMPARE(w.results(), QByteArrayList{">1,3:d\xC3\xA9j\xC3\xA0"});
        w.search(QStringLiteral("vu"));
        QCOMPARE(w.results(), QByteArrayList{">1,6:vu"});
        QCOMPARE(w.form.mmoText->encoding(), TextEncoding::Cp1252);

        w.open(WriteFile(FDir, "petit-utf8.txt", "\xC3\xA9t\xC3\xA9\n"));
        w.open(WriteFile(FDir, "cp1252.txt", "d\xE9j\xE0 \xE9t\xE9" + std::string(10, '\n')));
        w.form.edtSel->setText(QStringLiteral("été"));
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(w.results(), QByteArrayList{">1,6:\xE9t\xE9"});
        QCOMPARE(w.form.mmoText->line(0), std::string("\xC3\xA9t\xC3\xA9"));
        QCOMPARE(w.form.mmoText->encoding(), TextEncoding::Utf8);
    }

    void theSearchStringIsTrimmedAndWrittenBack() {
        ShownForm w;
        w.open(WriteFile(FDir, "t.txt", "un mot\r\nmot\r\n"));
        w.search("mot");
        QCOMPARE(w.results().size(), 2);
        w.form.edtSel->setText(QStringLiteral("  mot "));
        QCOMPARE(w.results().size(), 0);
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("mot"));
        QCOMPARE(w.results(), (QByteArrayList{">1,4:mot", ">2,1:mot"}));
        QCOMPARE(w.form.FResumeStep, 3);
    }

    void aSearchStringOfBlanksEndsTheRunWithoutOpeningTheFile() {
        ShownForm w;
        const QString path = WriteFile(FDir, "gone.txt", "x\r\n");
        w.open(path);
        QFile::remove(path);
        BoxWatcher watcher;
        w.search("   ");
        QVERIFY(watcher.seen.empty());
        QVERIFY(w.form.edtSel->text().isEmpty());
        QVERIFY(!w.form.btnGo->isEnabled());
        QVERIFY(!w.form.btnSave->isVisible());
    }

    void progressTextShowsTheLastLineRead() {
        ShownForm w;
        const QString path = WriteFile(FDir, "p.txt", "a\r\nb\r\nc\r\n");
        w.open(path);
        w.search("b");
        QCOMPARE(w.status(), QStringLiteral("Line : 3/3"));
        QCOMPARE(w.form.FCurrentLine, 3);
        // The file grew since it was loaded: the count goes past the denominator.
        WriteFile(FDir, "p.txt", "a\r\nb\r\nc\r\nd\r\n");
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(w.status(), QStringLiteral("Line : 4/3"));
    }

    void anEmptyFileReadsNoLine() {
        ShownForm w;
        w.open(WriteFile(FDir, "vide.txt", ""));
        w.search("a");
        QCOMPARE(w.status(), QStringLiteral("0 lignes"));
        QCOMPARE(w.form.FCurrentLine, 0);
        QVERIFY(w.results().isEmpty());
        QVERIFY(w.form.btnSave->isVisible());
    }

    void aMissingSourceIsReported() {
        ShownForm w;
        const QString path = WriteFile(FDir, "m.txt", "mot\r\n");
        w.open(path);
        w.search("mot");
        QFile::remove(path);
        BoxWatcher watcher;
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Fichier introuvable."));
        QCOMPARE(watcher.seen.front().caption, App()->title());
        QCOMPARE(w.form.mmoText->line(0), std::string("mot")); // the loaded text stays shown
        QVERIFY(w.results().isEmpty());
        QVERIFY(!w.form.btnSave->isVisible());
        QCOMPARE(w.form.FCurrentLine, 0);
        QCOMPARE(w.status(), QStringLiteral("Line : 1/1")); // unchanged from the run before
        QVERIFY(w.form.isEnabled() && w.form.btnGo->isEnabled());
    }

    void aSourceLockedByAnotherProgramIsReported() {
        ShownForm w;
        const QString path = WriteFile(FDir, "l.txt", "mot\r\n");
        w.open(path);
        const FileHandle other(::open(path.toLocal8Bit().constData(), O_RDWR));
        struct flock lock {};
        lock.l_type = F_WRLCK;
        QVERIFY(fcntl(other.fd(), F_OFD_SETLK, &lock) == 0);
        BoxWatcher watcher;
        w.search("mot");
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Erreur E/S 32."));
        QVERIFY(!w.form.btnSave->isVisible());
    }

    // A line of 40,000 characters, past QLineEdit's default limit of 32,767, becomes the search
    // string whole by pick-up and by paste, and a run finds it once.
    void aSearchStringOf40000Characters() {
        const std::string line = std::string(39999, 'a') + "\xE9";
        const std::string found = ">1,1:" + line + "\r\n";
        ShownForm w;
        w.open(WriteFile(FDir, "long.txt", line + "\r\nfin\r\n"));
        w.form.mmoText->setSelStart(0);
        w.form.mmoText->setSelLength(40000);
        QTest::mouseClick(w.form.mmoText->viewport(), Qt::MiddleButton, {}, QPoint(5, 5));
        QCOMPARE(FromQString(w.form.edtSel->text()), line);
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(std::string(w.form.mmo->model().text()), found);

        w.form.edtSel->clear();
        QApplication::clipboard()->setText(ToQString(line));
        QTest::keyClick(w.form.edtSel, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(FromQString(w.form.edtSel->text()), line);
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QCOMPARE(std::string(w.form.mmo->model().text()), found);
    }

    // Memory that runs out half way through a run is reported, and the lines found before stay
    // listed, each whole: the lines gathered reach the memory limit of a buffer, most likely in
    // the middle of a line's long word.
    void aRunStoppedByMemoryListsOnlyWholeLines() {
        const std::string word = std::string(900, 'm') + "ot";
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += word + "\r\n";
        ShownForm w;
        w.open(WriteFile(FDir, "mots.txt", text));
        QTest::keyClicks(w.form.edtSel, QStringLiteral("ot"));
        BoxWatcher watcher;
        const std::size_t limit = TextBuffer::memoryLimit();
        TextBuffer::setMemoryLimit(std::size_t(64) << 10);
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        TextBuffer::setMemoryLimit(limit);
        QCOMPARE(watcher.seen.size(), std::size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Mémoire insuffisante."));
        QVERIFY(!w.form.btnSave->isVisible());
        const QByteArrayList lines = w.results();
        QVERIFY(!lines.isEmpty() && lines.size() < 200);
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(lines[i],
                     QByteArray::fromStdString(">" + std::to_string(i + 1) + ",901:" + word));
    }

    // A source that never ends (a device) stops the run with a message, after a bounded read;
    // a load of it stops at the view's capacity.
    void aSourceThatNeverEndsStopsTheRun() {
        ShownForm w;
        w.form.mmoText->setCapacity(1 << 20);
        BoxWatcher watcher;
        w.open(QStringLiteral("/dev/zero"));
        w.search(QStringLiteral("a"));
        QCOMPARE(watcher.seen.size(), std::size_t(2));
        QCOMPARE(watcher.seen[0].text, QStringLiteral("Le texte dépasse la capacité du mémo."));
        QCOMPARE(watcher.seen[1].text,
                 QStringLiteral("La recherche s'arrête : la source n'est pas un fichier ordinaire "
                                "et dépasse 256 Mio."));
        QVERIFY(!w.form.btnSave->isVisible());
        QVERIFY(w.results().isEmpty());
    }

    void manyResultsReachTheList() {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "le mot et le mot\r\n";
        ShownForm w;
        w.open(WriteFile(FDir, "big.txt", text));
        w.search("mot");
        QCOMPARE(w.form.mmo->lineCount(), 40000);
        QCOMPARE(w.form.mmo->line(39999), std::string(">20000,14:mot"));
        QCOMPARE(w.status(), QStringLiteral("Line : 20000/20000"));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormSearch test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_search.moc"
