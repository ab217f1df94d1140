// SPDX-License-Identifier: GPL-3.0-or-later
// TextView as a screen reader reads it: ranges, characters, words and lines in both encodings,
// the selection, the geometry, the bounds of a long text and the events of its changes.
#include "widgets/accessibility.h"
#include "widgets/text_view.h"
#include "widgets/text_view_accessible.h"

#include <QAccessible>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>

namespace {

// The events Qt was given, as type and text (inserted text, or the selection's bounds).
std::vector<std::pair<QAccessible::Event, QString>> gEvents;

void Record(QAccessibleEvent* event) {
    QString detail;
    if (event->type() == QAccessible::TextUpdated)
        detail = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::TextInserted)
        detail = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    else if (event->type() == QAccessible::TextSelectionChanged) {
        const auto* selection = static_cast<QAccessibleTextSelectionEvent*>(event);
        detail =
            QStringLiteral("%1-%2").arg(selection->selectionStart()).arg(selection->selectionEnd());
    }
    gEvents.emplace_back(event->type(), detail);
}

struct Unit {
    QString text;
    int start = -1;
    int end = -1;
    bool operator==(const Unit&) const = default;
};

} // namespace

namespace QTest {
template <> char* toString(const Unit& unit) {
    return toString(QStringLiteral("\"%1\" [%2, %3)").arg(unit.text).arg(unit.start).arg(unit.end));
}
} // namespace QTest

class TestTextViewAccessible : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    std::unique_ptr<TextView> FView;

    void load(const std::string& bytes) {
        const std::string path = FDir.filePath("view.txt").toStdString();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        FView->loadFromFile(path);
    }
    QAccessibleTextInterface* text() const {
        return QAccessible::queryAccessibleInterface(FView.get())->textInterface();
    }
    using Query = QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*,
                                                        int*) const;
    Unit ask(Query query, int offset, QAccessible::TextBoundaryType type) const {
        Unit unit;
        unit.text = (text()->*query)(offset, type, &unit.start, &unit.end);
        return unit;
    }
    Unit at(int o, QAccessible::TextBoundaryType t) const {
        return ask(&QAccessibleTextInterface::textAtOffset, o, t);
    }
    Unit before(int o, QAccessible::TextBoundaryType t) const {
        return ask(&QAccessibleTextInterface::textBeforeOffset, o, t);
    }
    Unit after(int o, QAccessible::TextBoundaryType t) const {
        return ask(&QAccessibleTextInterface::textAfterOffset, o, t);
    }

private slots:
    void init() {
        FView = std::make_unique<TextView>();
        FView->resize(400, 200);
        FView->show();
        QVERIFY(QTest::qWaitForWindowExposed(FView.get()));
    }
    void cleanup() {
        SetAccessibilityRecorder(nullptr);
        FView.reset();
    }

    // Offsets count bytes, CR LF two; a word runs to the next word's start, as Ctrl+Right goes.
    void aWindows1252TextByCharacterWordAndLine() {
        load("Premi\xE8re ligne\r\nun  mot\r\n");
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(FView.get());
        QCOMPARE(view->role(), QAccessible::EditableText);
        QVERIFY(view->state().readOnly && view->state().multiLine);
        QCOMPARE(text()->characterCount(), 25);
        QCOMPARE(text()->text(0, 8), QStringLiteral("Première"));
        QCOMPARE(text()->text(-3, 1000), QStringLiteral("Première ligne\r\nun  mot\r\n"));
        QCOMPARE(at(5, QAccessible::CharBoundary), (Unit{"è", 5, 6}));
        QCOMPARE(at(3, QAccessible::LineBoundary), (Unit{"Première ligne\r\n", 0, 16}));
        QCOMPARE(at(17, QAccessible::LineBoundary), (Unit{"un  mot\r\n", 16, 25}));
        QCOMPARE(at(25, QAccessible::LineBoundary), (Unit{"", 25, 25}));
        QCOMPARE(after(3, QAccessible::LineBoundary), (Unit{"un  mot\r\n", 16, 25}));
        QCOMPARE(before(17, QAccessible::LineBoundary), (Unit{"Première ligne\r\n", 0, 16}));
        QCOMPARE(before(3, QAccessible::LineBoundary), (Unit{"", 0, 0}));
        QCOMPARE(at(18, QAccessible::WordBoundary), (Unit{"un  ", 16, 20}));
        QCOMPARE(at(20, QAccessible::WordBoundary), (Unit{"mot", 20, 23}));
        QCOMPARE(after(10, QAccessible::WordBoundary), (Unit{"\r\n", 14, 16}));
        QCOMPARE(before(20, QAccessible::WordBoundary), (Unit{"un  ", 16, 20}));
    }

    // A UTF-8 text counts characters: an emoji is one offset (two UTF-16 units in the answer).
    void aUtf8TextByCharacterWordAndLine() {
        load("\xEF\xBB\xBF\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC "
             "\xF0\x9F\x98\x80 \xC3\xA9t\xC3\xA9\nfin");
        QCOMPARE(text()->characterCount(), 19);
        QCOMPARE(at(9, QAccessible::CharBoundary), (Unit{"😀", 9, 10}));
        QCOMPARE(at(9, QAccessible::WordBoundary), (Unit{"😀 ", 9, 11}));
        QCOMPARE(at(12, QAccessible::WordBoundary), (Unit{"été", 11, 14}));
        QCOMPARE(at(3, QAccessible::LineBoundary), (Unit{"Ελληνικά 😀 été\r\n", 0, 16}));
        QCOMPARE(after(0, QAccessible::LineBoundary), (Unit{"fin", 16, 19}));
        QCOMPARE(at(100, QAccessible::LineBoundary), (Unit{"fin", 16, 19}));
    }

    // The jump sets the selection as selStart and selLength; a reader sets it in characters too.
    void theSelectionInCharacters() {
        load("\xCE\xB1\xCE\xB2 \xC3\xA9t\xC3\xA9\r\nfin");
        FView->setSelStart(3);
        FView->setSelLength(3);
        int start = -1, end = -1;
        QCOMPARE(text()->selectionCount(), 1);
        text()->selection(0, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(3, 6));
        QCOMPARE(text()->cursorPosition(), 6);
        QCOMPARE(text()->text(start, end), QStringLiteral("été"));

        text()->setSelection(0, 8, 11);
        QCOMPARE(FView->selectedText(), std::string("fin"));
        text()->setSelection(0, -5, 1000);
        QCOMPARE(FView->selLength(), 11);
        text()->setCursorPosition(2);
        QCOMPARE(text()->selectionCount(), 0);
        QCOMPARE(FView->selStart(), 2);
    }

    // The point of a character's rectangle names that character; past a row's end, none.
    void charactersAndPoints() {
        load("a\xE4\xB8\xAD"
             "b\r\nxy\r\n");
        for (const int offset : {0, 1, 2, 6}) {
            const QRect rect = text()->characterRect(offset);
            QVERIFY(rect.width() > 0);
            QCOMPARE(text()->offsetAtPoint(rect.center()), offset);
        }
        QVERIFY(text()->characterRect(1).width() >= 2 * text()->characterRect(0).width() - 1);
        const QRect end = text()->characterRect(3);
        QCOMPARE(text()->offsetAtPoint(end.center() + QPoint(end.width() * 5, 0)), -1);
    }

    // A line of 100,000 characters answers its first kMaxRange, with its real bounds.
    void aLongRangeIsCut() {
        load(std::string(100000, 'a') + "\r\nb");
        QCOMPARE(text()->text(0, -1).size(), TextViewAccessible::kMaxRange);
        const Unit line = at(50000, QAccessible::LineBoundary);
        QCOMPARE(line.text.size(), TextViewAccessible::kMaxRange);
        QCOMPARE(std::pair(line.start, line.end), std::pair(0, 100002));
        QCOMPARE(after(50000, QAccessible::LineBoundary), (Unit{"b", 100002, 100003}));
    }

    // One event for a load, one for the lines of a run, one for a jump's selection.
    void eventsOfTheChanges() {
        SetAccessibilityRecorder(Record);
        gEvents.clear();
        load("un\r\ndeux\r\n");
        FView->clear();
        FView->appendLines(">1,1:un\r\n>2,1:deux\r\n");
        FView->setSelStart(0);
        FView->setSelLength(4);
        const std::vector<std::pair<QAccessible::Event, QString>> expected{
            {QAccessible::TextUpdated, "un\r\ndeux\r\n"},
            {QAccessible::TextUpdated, ""},
            {QAccessible::TextInserted, ">1,1:un\r\n>2,1:deux\r\n"},
            {QAccessible::TextCaretMoved, ""},
            {QAccessible::TextSelectionChanged, "0-4"},
            {QAccessible::TextCaretMoved, ""}};
        QCOMPARE(gEvents, expected);
    }
};

QTEST_MAIN(TestTextViewAccessible)
#include "test_text_view_accessible.moc"
