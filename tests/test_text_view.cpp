// SPDX-License-Identifier: GPL-3.0-or-later
// The text view as a person uses it: real mouse and key events on a shown view, through the
// window system layer (double-clicks and context menus are synthesised as on a desktop).
#define QTEST_QPA_MOUSE_HANDLING
#include "widgets/fixed_font.h"
#include "widgets/row_cells.h"
#include "widgets/text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <fstream>
#include <memory>

namespace {

constexpr int kMargin = 3; // the view's left margin, in pixels

// "bonjour monde" CR LF "second" CR LF: row 1 begins at 15, the text ends at 23.
const char* const kTwoRows = "bonjour monde\r\nsecond\r\n";

} // namespace

class TestTextView : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::unique_ptr<QWidget> FWindow;
    TextView* FView = nullptr;
    QLineEdit* FOther = nullptr;

    void load(const std::string& bytes) {
        const std::string path = FDir.filePath("view.txt").toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        FView->loadFromFile(path);
    }

    // A point in the left part of the cell at (row, column) of the unscrolled view.
    QPoint at(int row, int column) const {
        const qreal cell = QFontMetricsF(FView->font()).horizontalAdvance(QLatin1Char('x'));
        const int height = QFontMetrics(FView->font()).lineSpacing();
        return QPoint(kMargin + int(column * cell + cell * 0.3), row * height + height / 2);
    }

    // Pixels of the viewport painted in the highlight colour.
    int highlightedPixels() const {
        const QImage image = FView->viewport()->grab().toImage();
        const QRgb highlight = FView->palette().color(QPalette::Highlight).rgb();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) == highlight;
        return count;
    }

    QWidget* viewport() const { return FView->viewport(); }

private slots:
    void init() {
        FWindow = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(FWindow.get());
        FView = new TextView;
        FOther = new QLineEdit;
        layout->addWidget(FView);
        layout->addWidget(FOther);
        FWindow->resize(400, 240);
        FWindow->show();
        QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
        FView->setFocus();
        QTRY_VERIFY(FView->hasFocus());
    }
    void cleanup() { FWindow.reset(); }

    void clickPlacesTheCaret() {
        load(kTwoRows);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(1, 3));
        QCOMPARE(FView->selStart(), 18);
        QCOMPARE(FView->selLength(), 0);
        QCOMPARE(FView->caretRow(), 1);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0, 40)); // past the end of row 0
        QCOMPARE(FView->selStart(), 13);
    }

    // A UTF-8 text goes by character: wide characters take two cells, a click on either half of
    // one lands before or after it, arrows step over whole characters, a double-click takes the
    // letters of any script, and the clipboard gets the characters.
    void aUtf8TextGoesByCharacter() {
        load("\xEF\xBB\xBF\xCE\xB1\xCE\xB2\xCE\xB3 \xE4\xB8\xAD\xE6\x96\x87 x\r\n\xC3\xA9\r\n");
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0, 9)); // the left of "x"
        QCOMPARE(FView->selStart(), 7);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0, 6)); // the left half of 文
        QCOMPARE(FView->selStart(), 5);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(at(0, 7).x() + 2, at(0, 7).y()));
        QCOMPARE(FView->selStart(), 6);
        QTest::keyClick(FView, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(FView->selectedText(), std::string("\xE6\x96\x87"));
        QTest::keyClick(FView, Qt::Key_Down);
        QCOMPARE(FView->caretRow(), 1);
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at(0, 1));
        QCOMPARE(FView->selectedText(), std::string("\xCE\xB1\xCE\xB2\xCE\xB3"));
        QCOMPARE(FView->selLength(), 3);
        QTest::keyClick(FView, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("αβγ"));
        FView->selectAll();
        QCOMPARE(FView->selLength(), 13);
    }

    // A word holds its combining marks: "café" with its accent as a mark after the "e" is one
    // word for a double-click and for Ctrl+arrows.
    // A long row's remembered cells may lie past its end once its file changed: unused then.
    void cellsRememberedPastARowsEndAreLeft() {
        CellHint hint{0, {{300000, 300000}}};
        const RowCells cells(TextPiece("abc"), TextEncoding::Utf8, &hint, 0);
        QCOMPARE(cells.seek({0, 0}, 400000).byte, 3);
        QCOMPARE(cells.columnOf({0, 0}, 3), 3);
    }

    void aWordHoldsItsCombiningMarks() {
        load("un cafe\xCC\x81 noir\r\n");
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at(0, 4));
        QCOMPARE(FView->selectedText(), std::string("cafe\xCC\x81"));
        FView->setSelStart(3);
        QTest::keyClick(FView, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(FView->selStart(), 9); // the start of "noir"
    }

    void dragSelectsAndReportsTheRelease() {
        load(kTwoRows);
        std::vector<std::string> released;
        connect(FView, &TextView::mouseReleased, this, [&](Qt::MouseButton button) {
            QCOMPARE(button, Qt::LeftButton);
            released.push_back(FView->selectedText());
        });
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0, 2));
        QTest::mouseMove(viewport(), at(0, 5));
        QTest::mouseMove(viewport(), at(1, 2));
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(1, 2));
        QCOMPARE(released, std::vector<std::string>{"njour monde\r\nse"});
        QCOMPARE(FView->caretRow(), 1);

        QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, at(0, 7));
        QCOMPARE(FView->selectedText(), std::string("njour"));
    }

    void dragBelowTheViewScrolls() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "ligne " + std::to_string(i) + "\r\n";
        load(text);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0, 0));
        QTest::mouseMove(viewport(), QPoint(20, viewport()->height() - 1));
        QTest::mouseMove(viewport(), QPoint(20, viewport()->height() + 30));
        QTRY_VERIFY(FView->verticalScrollBar()->value() > 3);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(20, viewport()->height() - 1));
        QCOMPARE(FView->selStart(), 0);
        QVERIFY(FView->caretRow() >= FView->verticalScrollBar()->value());
    }

    void doubleClickSelectsAWordBeforeItsSignals() {
        load(kTwoRows);
        QStringList events;
        connect(FView, &TextView::doubleClicked, this,
                [&] { events << "double:" + QString::fromStdString(FView->selectedText()); });
        connect(FView, &TextView::mouseReleased, this, [&](Qt::MouseButton) {
            events << "release:" + QString::fromStdString(FView->selectedText());
        });
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at(0, 10));
        QCOMPARE(events, QStringList({"release:", "double:monde", "release:monde"}));
        QCOMPARE(FView->caretRow(), 0);
        QCOMPARE(FView->selStart() + FView->selLength(), 13); // the caret at the word's end
    }

    void keyboardMovesAndExtends() {
        load(kTwoRows);
        FView->setSelStart(0);
        const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            QTest::keyClick(FView, k, m);
        };
        key(Qt::Key_Right);
        key(Qt::Key_Right);
        QCOMPARE(FView->selStart(), 2);
        key(Qt::Key_End);
        QCOMPARE(FView->selStart(), 13);
        key(Qt::Key_Right); // over the CR LF in one step
        QCOMPARE(FView->selStart(), 15);
        key(Qt::Key_Left);
        QCOMPARE(FView->selStart(), 13);
        key(Qt::Key_Down); // row 1 is shorter: its end
        QCOMPARE(FView->selStart(), 21);
        key(Qt::Key_Up); // back to the column kept
        QCOMPARE(FView->selStart(), 13);
        key(Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(FView->selStart(), 0);
        QCOMPARE(FView->selLength(), 13);
        QCOMPARE(FView->caretRow(), 0);
        key(Qt::Key_Right); // collapses to the selection's end
        QCOMPARE(FView->selStart(), 13);
        QCOMPARE(FView->selLength(), 0);
        key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(FView->selStart(), 23);
        QCOMPARE(FView->caretRow(), 2);
        key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(FView->selLength(), 23);
        key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(FView->selStart(), 8); // the next word
    }

    // A row's end is no stop after a word (a screen reader would read the line break as one); an
    // empty row is.
    void wordStepsCrossTheEndOfARowWithText() {
        load("un mot  \r\nsuite\r\n\r\nfin");
        FView->setSelStart(3);
        const auto stepRight = [this] {
            QTest::keyClick(FView, Qt::Key_Right, Qt::ControlModifier);
            return FView->selStart();
        };
        const auto stepLeft = [this] {
            QTest::keyClick(FView, Qt::Key_Left, Qt::ControlModifier);
            return FView->selStart();
        };
        QCOMPARE(stepRight(), 10); // from "mot" over its blanks and the break to "suite"
        QCOMPARE(stepRight(), 17); // the empty row
        QCOMPARE(stepRight(), 19); // "fin"
        QCOMPARE(stepLeft(), 17);
        QCOMPARE(stepLeft(), 10);
        QCOMPARE(stepLeft(), 3); // back over the break to "mot"
        QCOMPARE(stepLeft(), 0);
    }

    // A caret placed away from the rows in sight leaves them in sight until Tab comes in.
    void placeCaretKeepsTheScrollUntilTabComesIn() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "ligne\r\n";
        load(text);
        FView->setSelStart(FView->rowOffset(199));
        QCoreApplication::processEvents();
        const int bottom = FView->verticalScrollBar()->value();
        QVERIFY(bottom > 0);
        FView->placeCaret(0);
        QCoreApplication::processEvents();
        QCOMPARE(FView->caretRow(), 0);
        QCOMPARE(FView->verticalScrollBar()->value(), bottom);
        FOther->setFocus();
        QTest::keyClick(FOther, Qt::Key_Tab);
        QTRY_VERIFY(FView->hasFocus());
        QCOMPARE(FView->verticalScrollBar()->value(), 0);
    }

    void pagesMoveByTheRowsInSight() {
        std::string text;
        for (int i = 0; i < 100; ++i)
            text += "ligne " + std::to_string(i) + "\r\n";
        load(text);
        FView->setSelStart(0);
        QTest::keyClick(FView, Qt::Key_PageDown);
        const int page = FView->caretRow();
        QVERIFY(page > 2);
        QVERIFY(FView->verticalScrollBar()->value() > 0);
        QTest::keyClick(FView, Qt::Key_PageUp);
        QCOMPARE(FView->caretRow(), 0);
        QCOMPARE(FView->verticalScrollBar()->value(), 0);
    }

    void selectAllAndCopyGiveUnicode() {
        load("\xE9t\xE9 \x80\r\nfin");
        QTest::keyClick(FView, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(FView->selLength(), 10);
        QTest::keyClick(FView, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("été €\r\nfin"));
    }

    void selectionShowsOnlyWithFocus() {
        load(kTwoRows);
        FView->setSelStart(0);
        FView->setSelLength(10);
        QVERIFY(highlightedPixels() > 0);
        FOther->setFocus();
        QTRY_VERIFY(!FView->hasFocus());
        QCOMPARE(highlightedPixels(), 0);
        QCOMPARE(FView->selLength(), 10); // hidden, not lost
    }

    void rightButtonReportsAfterTheMenu() {
        load(kTwoRows);
        QStringList menuTexts;
        bool menuClosed = false;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (const QAction* action : menu->actions())
                if (!action->isSeparator())
                    menuTexts << action->text();
            menu->actions().constLast()->trigger(); // "Tout sélectionner"
            menu->close();
            menuClosed = true;
        });
        int reports = 0;
        connect(FView, &TextView::mouseReleased, this, [&](Qt::MouseButton button) {
            QCOMPARE(button, Qt::RightButton);
            QVERIFY(menuClosed);
            ++reports;
        });
        QTest::mouseClick(viewport(), Qt::RightButton, {}, at(0, 2));
        QCOMPARE(menuTexts, QStringList({"Copier", "Tout sélectionner"}));
        QCOMPARE(reports, 1);
        QCOMPARE(FView->selLength(), 23);
    }

    void selectingScrollsTheCaretIntoView() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "ligne " + std::to_string(i) + "\r\n";
        text += std::string(500, 'x') + "fin\r\n";
        load(text);
        FView->setSelStart(FView->rowOffset(150));
        FView->setSelLength(5);
        const int first = FView->verticalScrollBar()->value();
        const int rows = FView->viewport()->height() / QFontMetrics(FView->font()).lineSpacing();
        QVERIFY(first <= 150 && 150 < first + rows);
        QCOMPARE(FView->selectedText(), std::string("ligne"));

        FView->setSelStart(FView->rowOffset(200) + 500);
        FView->setSelLength(3);
        QVERIFY(FView->horizontalScrollBar()->value() > 0);
        QVERIFY(highlightedPixels() > 0); // the selection at column 500 is in sight
        FView->setSelStart(0);
        QCOMPARE(FView->horizontalScrollBar()->value(), 0);
        QCOMPARE(FView->verticalScrollBar()->value(), 0);
    }

    void reloadKeepsSelectionAndScroll() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "ligne " + std::to_string(i) + "\r\n";
        load(text);
        FView->setSelStart(FView->rowOffset(120));
        FView->setSelLength(4);
        const int scrolled = FView->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);
        load(text);
        QCOMPARE(FView->verticalScrollBar()->value(), scrolled);
        QCOMPARE(FView->selLength(), 4);
        load(text + "plus");
        QCOMPARE(FView->verticalScrollBar()->value(), 0);
        QCOMPARE(FView->selLength(), 0);
    }

    void appendsFollowTheEnd() {
        for (int i = 0; i < 1000; ++i)
            FView->appendLine(">" + std::to_string(i) + ",1:mot");
        QCOMPARE(FView->lineCount(), 1000);
        QCOMPARE(FView->selStart(), FView->model().size());
        QCoreApplication::processEvents();
        QScrollBar* vertical = FView->verticalScrollBar();
        QCOMPARE(vertical->maximum(), FView->model().rowCount() - vertical->pageStep());
        QCOMPARE(vertical->value(), vertical->maximum());
        FView->clear();
        QCoreApplication::processEvents();
        QCOMPARE(vertical->maximum(), 0);
        QCOMPARE(FView->lineCount(), 0);
    }

    void wheelScrolls() {
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "ligne\tavec tabulation " + std::to_string(i) + "\r\n";
        load(text);
        const QPoint pos = at(2, 2);
        QWheelEvent wheel(pos, viewport()->mapToGlobal(pos), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport(), &wheel);
        QVERIFY(FView->verticalScrollBar()->value() > 0);
        // A tab reaches column 8: "avec" begins there.
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, at(0, 9));
        QCOMPARE(FView->selectedText(), std::string("avec"));
    }

    // A desktop that names a proportional font as its fixed one gets a monospace font of the same
    // size, whose cells the characters fill; a fixed one is kept as it is.
    void theFontIsOfOneWidth() {
        const QFont proportional(QStringLiteral("DejaVu Sans"), 12);
        QVERIFY(!QFontInfo(proportional).fixedPitch());
        const QFont fixed = FixedPitchFont(proportional);
        QVERIFY(QFontInfo(fixed).fixedPitch());
        QCOMPARE(fixed.pointSize(), 12);
        const QFontMetricsF metrics(fixed);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")),
                 metrics.horizontalAdvance(QStringLiteral("WWWW")));
        QCOMPARE(FixedPitchFont(fixed), fixed);
        QVERIFY(QFontInfo(FView->font()).fixedPitch());
    }
};

QTEST_MAIN(TestTextView)
#include "test_text_view.moc"
