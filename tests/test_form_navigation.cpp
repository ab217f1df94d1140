// SPDX-License-Identifier: GPL-3.0-or-later
// From a result line to the text with a real double-click, the warning for an unusable line, and
// a mouse selection in the text becoming the search string.
#include "app/application.h"
#include "form_fixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace {

// The middle of the character at (row, column), both 0-based, of a view scrolled to its top.
QPoint CharPoint(const TextView* view, int row, int column) {
    const QFontMetricsF metrics(view->font());
    const qreal cell = metrics.horizontalAdvance(QLatin1Char('x'));
    const int height = view->fontMetrics().lineSpacing();
    return QPoint(int(3 + (column + 0.5) * cell), row * height + height / 2);
}

// A double-click as the mouse makes it: press, release, double-click, release.
void DoubleClick(TextView* view, int row, int column = 1) {
    const QPoint point = CharPoint(view, row, column);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, point);
}

} // namespace

class TestFormNavigation : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

    // A window that has loaded text and searched pattern in it.
    static void searched(ShownForm& w, const QString& path, const QString& pattern) {
        w.open(path);
        w.search(pattern);
    }

private slots:
    void doubleClickingAResultSelectsTheOccurrence() {
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "une maison\r\nla maison\r\n"), "maison");
        QCOMPARE(w.results(), (QByteArrayList{">1,5:maison", ">2,4:maison"}));
        BoxWatcher watcher;
        DoubleClick(w.form.mmo, 1);
        QVERIFY(watcher.seen.empty());
        // Row 1 starts after "une maison" CR LF: offset 12, plus column 4 - 1.
        QCOMPARE(w.form.mmoText->selStart(), 15);
        QCOMPARE(w.form.mmoText->selLength(), 6);
        QCOMPARE(w.form.mmoText->selectedText(), std::string("maison"));
        QVERIFY(w.form.mmoText->hasFocus());
        // No mouse release happened in the text: the search string and results stay.
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("maison"));
        QCOMPARE(w.results().size(), 2);
    }

    void theSelectionIsAsLongAsTheSearchString() {
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "ab surprise-partie\r\n"), "pri");
        DoubleClick(w.form.mmo, 0);
        QCOMPARE(w.form.mmoText->selStart(), 6);
        QCOMPARE(w.form.mmoText->selectedText(), std::string("pri"));
    }

    void unusableLinesShowTheWarning_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("row");
        QTest::newRow("empty word") << QByteArray("a,b\r\n") << ",b" << 0;
        QTest::newRow("below the last line") << QByteArray("ab\r\n") << "ab" << 3;
        QTest::newRow("empty list") << QByteArray("ab\r\n") << "zz" << 0;
    }
    void unusableLinesShowTheWarning() {
        QFETCH(QByteArray, text);
        QFETCH(QString, pattern);
        QFETCH(int, row);
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", text.toStdString()), pattern);
        const qint64 before = w.form.mmoText->selStart();
        BoxWatcher watcher;
        DoubleClick(w.form.mmo, row);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().caption, QStringLiteral("Avertissement"));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Erreur de sélection"));
        QCOMPARE(w.form.mmoText->selStart(), before);
        QTRY_VERIFY(w.form.mmo->hasFocus()); // the focus is back where it was
    }

    void aJumpAfterALoneCrSelectsAnotherPlace() {
        // The run reads "ab" CR "cd" as one line; the view shows two rows.
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "ab\rcd\r\nxcd\r\n"), "cd");
        QCOMPARE(w.results(), (QByteArrayList{">1,3:abcd", ">2,2:xcd"}));
        DoubleClick(w.form.mmo, 1);
        QCOMPARE(w.form.mmoText->selStart(), 5); // row 1 "cd" begins at 4, plus 1
        QCOMPARE(w.form.mmoText->selectedText(), std::string("d\r"));
    }

    // The view gives the end of its text as the start of a missing row: the jump lands there, with
    // no warning, an empty selection and the focus.
    void aLineNumberPastTheRowsDoesNotFail() {
        ShownForm w;
        const QString path = WriteFile(FDir, "t.txt", "a\r\n");
        w.open(path);
        WriteFile(FDir, "t.txt", "a\r\nb\r\nc\r\nun mot\r\n"); // grew after loading
        w.search("mot");
        QCOMPARE(w.results(), (QByteArrayList{">4,4:mot"}));
        QCOMPARE(w.form.mmoText->selStart(), 0);
        BoxWatcher watcher;
        DoubleClick(w.form.mmo, 0);
        QVERIFY(watcher.seen.empty());
        QCOMPARE(w.form.mmoText->selStart(), 3);
        QCOMPARE(w.form.mmoText->selLength(), 0);
        QVERIFY(w.form.mmoText->hasFocus());
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("mot"));
        QCOMPARE(w.results().size(), 1);
    }

    void aDoubleClickInTheTextBecomesTheSearchString() {
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "une maison\r\n"), "une");
        QCOMPARE(w.results().size(), 1);
        DoubleClick(w.form.mmoText, 0, 6);
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("maison"));
        QCOMPARE(w.results().size(), 0);
        QVERIFY(!w.form.btnSave->isVisible());
    }

    void aPlainClickOrTheSameStringChangesNothing() {
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "une maison\r\n"), "maison");
        QTest::mouseClick(w.form.mmoText->viewport(), Qt::LeftButton, {},
                          CharPoint(w.form.mmoText, 0, 1));
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("maison"));
        QCOMPARE(w.results().size(), 1);
        DoubleClick(w.form.mmoText, 0, 6); // selects "maison", the current string
        QCOMPARE(w.results().size(), 1);
        QVERIFY(w.form.btnSave->isVisible());
    }

    void theMiddleButtonAlsoPicksTheSelection() {
        ShownForm w;
        searched(w, WriteFile(FDir, "t.txt", "une maison\r\n"), "une");
        w.form.mmoText->setSelStart(4);
        w.form.mmoText->setSelLength(3);
        QTest::mouseClick(w.form.mmoText->viewport(), Qt::MiddleButton, {},
                          CharPoint(w.form.mmoText, 0, 5));
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("mai"));
    }

    // A selection larger than the clipboard or the search field takes is refused with a message,
    // and the clipboard, the search string and the results stay as they were.
    void aHugeSelectionIsNeitherCopiedNorPickedUp() {
        const std::string row(std::size_t(1) << 16, 'a');
        std::string text;
        while (text.size() <= (std::size_t(64) << 20))
            text += row + "\r\n";
        ShownForm w;
        searched(w, WriteFile(FDir, "huge.txt", text), "une");
        QApplication::clipboard()->setText(QStringLiteral("avant"));
        BoxWatcher watcher;
        w.form.mmoText->setFocus();
        QTest::keyClick(w.form.mmoText, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w.form.mmoText, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(watcher.seen.size(), std::size_t(1));
        QCOMPARE(watcher.seen.front().text,
                 QStringLiteral("La sélection dépasse 64 Mio : elle n'est pas copiée."));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("avant"));

        for (const qint64 length : {(qint64(1) << 20) + 1, qint64(1) << 20}) {
            w.form.mmoText->setSelStart(0);
            w.form.mmoText->setSelLength(length);
            QTest::mouseClick(w.form.mmoText->viewport(), Qt::MiddleButton, {},
                              CharPoint(w.form.mmoText, 0, 5));
        }
        QCOMPARE(watcher.seen.size(), std::size_t(2));
        QCOMPARE(watcher.seen.back().text,
                 QStringLiteral("La sélection dépasse 1 Mio : elle ne devient pas la chaîne "
                                "cherchée."));
        QCOMPARE(w.form.edtSel->text().size(), qsizetype(1) << 20); // the second one is taken
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormNavigation test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_navigation.moc"
