// SPDX-License-Identifier: GPL-3.0-or-later
// The occurrences of a run as the text shows them, read from its pixels: the cells of each visible
// occurrence carry the mark and no other cell does, in both encodings and whatever the row's
// breaks; the selection on top after a jump; nothing once the results are gone; the map in the
// groove of the scroll bar at the heights of the lines that hold one.
#define QTEST_QPA_MOUSE_HANDLING
#include "form_fixture.h"
#include "widgets/map_scroll_bar.h"
#include "widgets/mark_colors.h"

#include <QApplication>

namespace {

// The cells of the view's first rows, unscrolled: '#' where an occurrence's mark shows, 'S'
// where the selection's highlight does, '.' elsewhere. A cell is read inside its bounds, so
// that a neighbour's antialiased edge does not count.
QStringList Cells(const TextView* view, int rows, int columns) {
    const QImage image = view->viewport()->grab().toImage();
    const QRgb mark = MarkBackground(view->palette()).rgb();
    const QRgb highlight = view->palette().color(QPalette::Highlight).rgb();
    const qreal cell = QFontMetricsF(view->font()).horizontalAdvance(QLatin1Char('x'));
    const int height = view->fontMetrics().lineSpacing();
    QStringList picture;
    for (int row = 0; row < rows; ++row) {
        QString line;
        for (int column = 0; column < columns; ++column) {
            int marked = 0;
            int selected = 0;
            const int left = int(3 + column * cell) + 1;
            const int right = int(3 + (column + 1) * cell) - 1;
            for (int y = row * height + 1; y < (row + 1) * height - 1; ++y)
                for (int x = left; x < right; ++x) {
                    marked += image.pixel(x, y) == mark;
                    selected += image.pixel(x, y) == highlight;
                }
            line += marked > 0     ? QLatin1Char('#')
                    : selected > 0 ? QLatin1Char('S')
                                   : QLatin1Char('.');
        }
        picture << line;
    }
    return picture;
}

QPalette DarkScheme() {
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    dark.setColor(QPalette::Text, QColor(Qt::white));
    dark.setColor(QPalette::Window, QColor(0x22, 0x20, 0x20));
    dark.setColor(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    return dark;
}

} // namespace

class TestFormMarks : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void cleanup() { QApplication::setPalette(QPalette()); }

    void everyVisibleOccurrenceIsMarked_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("overlapping") << QByteArray("xaaay aa\r\nno\r\n") << "aa" << false
                                     << QStringList{".###..##.", "........."};
        QTest::newRow("dark scheme") << QByteArray("xaaay aa\r\nno\r\n") << "aa" << true
                                     << QStringList{".###..##.", "........."};
        // "a", a wide character of two cells, "b": "日" takes cells 1 and 2.
        QTest::newRow("wide character")
            << QByteArray("a\xE6\x97\xA5"
                          "b \xE6\x97\xA5\r\n")
            << QString::fromUtf8("日") << false << QStringList{".##..##.", "........"};
        // "e" and a combining acute take one cell; the "e" before the mark is an occurrence.
        QTest::newRow("combining mark") << QByteArray("xe\xCC\x81"
                                                      "e\r\n")
                                        << "e" << false << QStringList{".##.", "...."};
        // The run joins "ab" CR "cd" into the line "abcd", where "bc" occurs; the text shows two
        // rows, in which it does not: only the third row's "bc" is marked.
        QTest::newRow("lone CR") << QByteArray("ab\rcd\r\nbc\r\n") << "bc" << false
                                 << QStringList{"....", "....", "##..", "...."};
    }
    void everyVisibleOccurrenceIsMarked() {
        QFETCH(QByteArray, text);
        QFETCH(QString, pattern);
        QFETCH(bool, dark);
        QFETCH(QStringList, cells);
        if (dark) {
            QApplication::setPalette(DarkScheme());
            QApplication::processEvents();
        }
        ShownForm w;
        w.open(WriteFile(FDir, "t.txt", text.toStdString()));
        w.form.edtSel->setText(pattern);
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QVERIFY(!w.results().isEmpty());
        QCOMPARE(Cells(w.form.mmoText, int(cells.size()), int(cells[0].size())), cells);
    }

    // The text stays legible on a mark in the default and in a dark scheme, and a mark is
    // neither the background nor the selection.
    void theMarkKeepsTheTextLegible() {
        for (const QPalette& palette : {QApplication::palette(), DarkScheme()}) {
            const QColor mark = MarkBackground(palette);
            QVERIFY2(ContrastRatio(mark, palette.color(QPalette::Text)) >= 4.5,
                     qPrintable(mark.name()));
            QVERIFY(mark != palette.color(QPalette::Base));
            QVERIFY(mark != palette.color(QPalette::Highlight));
        }
    }

    // After a jump the occurrence is the selection, painted over its mark; the others stay marked.
    // Emptying the results takes every mark away, as does loading another file.
    void theSelectionOnTopAndTheMarksGoWithTheResults() {
        ShownForm w;
        w.open(WriteFile(FDir, "t.txt", "ab ab\r\n"));
        w.search("ab");
        QCOMPARE(w.results(), (QByteArrayList{">1,1:ab", ">1,4:ab"}));
        QCOMPARE(Cells(w.form.mmoText, 1, 6), QStringList{"##.##."});
        w.form.mmo->setFocus();
        w.form.mmo->setSelStart(0); // on the second result line
        QTest::keyClick(w.form.mmo, Qt::Key_Down);
        QTest::keyClick(w.form.mmo, Qt::Key_Return);
        QVERIFY(w.form.mmoText->hasFocus());
        QCOMPARE(Cells(w.form.mmoText, 1, 6), QStringList{"##.SS."});

        QTest::keyClick(w.form.edtSel, Qt::Key_End);
        QTest::keyClick(w.form.edtSel, Qt::Key_Backspace);
        QVERIFY(w.results().isEmpty());
        QCOMPARE(Cells(w.form.mmoText, 1, 6), QStringList{"...SS."});

        w.search("ab");
        QCOMPARE(Cells(w.form.mmoText, 1, 6).first().count(QLatin1Char('#')), 4);
        w.open(WriteFile(FDir, "other.txt", "ab ab\r\n"));
        QCOMPARE(Cells(w.form.mmoText, 1, 6), QStringList{"......"});
        QVERIFY(w.form.mmoText->occurrenceMap().empty());
    }

    // Ten lines, occurrences in lines 1, 4 and 10: a mark in the groove at 0, 3 and 9 tenths of
    // its height, and none elsewhere.
    void theMapShowsWhereTheOccurrencesLie() {
        ShownForm w;
        std::string text;
        for (int line = 1; line <= 10; ++line)
            text += (line == 1 || line == 4 || line == 10 ? "ligne x\r\n" : "ligne\r\n");
        w.open(WriteFile(FDir, "t.txt", text));
        w.search("x");
        QCOMPARE(w.results().size(), 3);
        auto* bar = static_cast<MapScrollBar*>(w.form.mmoText->verticalScrollBar());
        const QImage image = bar->grab().toImage();
        const QRgb mark = MapMark(bar->palette()).rgb();
        const QRect groove = bar->groove();
        QList<int> markedRows;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(groove.center().x(), y) == mark)
                markedRows << y;
        QList<int> expected;
        for (const int line : {1, 4, 10}) {
            const int top = groove.top() + groove.height() * (line - 1) / 10;
            expected << top << top + 1 << top + 2;
        }
        QCOMPARE(markedRows, expected);
    }

    // With an occurrence in every line the whole groove is marked, under the slider, which stays
    // in sight at the top.
    void theSliderStaysOverTheMap() {
        ShownForm w;
        std::string text;
        for (int line = 1; line <= 2000; ++line)
            text += "ligne x\r\n";
        w.open(WriteFile(FDir, "t.txt", text));
        w.search("x");
        auto* bar = static_cast<MapScrollBar*>(w.form.mmoText->verticalScrollBar());
        QCOMPARE(bar->value(), 0);
        const QImage image = bar->grab().toImage();
        const QRgb mark = MapMark(bar->palette()).rgb();
        const QRect groove = bar->groove();
        QVERIFY(image.pixel(groove.center().x(), groove.top() + 4) != mark);
        QCOMPARE(image.pixel(groove.center().x(), groove.bottom() - 4), mark);
    }
};

QTEST_MAIN(TestFormMarks)
#include "test_form_marks.moc"
