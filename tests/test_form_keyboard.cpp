// SPDX-License-Identifier: GPL-3.0-or-later
// The window with the keyboard alone, and what assistive technologies learn of it: Enter on a
// button, in the search field and on a result line, Ctrl+O and Ctrl+S, the buttons' names and the
// status text.
#include "app/application.h"
#include "app/edit.h"
#include "form_fixture.h"
#include "queued_input.h"
#include "widgets/accessibility.h"

#include <QAccessible>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QScrollBar>

namespace {

void Enter(QWidget* widget, bool keypad = false) {
    QTest::keyClick(widget, keypad ? Qt::Key_Enter : Qt::Key_Return,
                    keypad ? Qt::KeypadModifier : Qt::NoModifier);
}

QString AccessibleName(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

// Names of the NameChanged events Qt was given.
QStringList gNamesChanged;

void RecordNames(QAccessibleEvent* event) {
    if (event->type() == QAccessible::NameChanged)
        gNamesChanged << event->accessibleInterface()->text(QAccessible::Name);
}

// What a screen reader is told: the notifications shown, and whether mmoText's selection moved
// while it lacked the focus.
struct Told {
    QStringList notifications;
    bool selectedBeforeFocus = false;
};
Told gTold;
QWidget* gText = nullptr;

void RecordTold(QAccessibleEvent* event) {
    QAccessibleInterface* target = event->accessibleInterface();
    if (event->type() == QAccessible::ObjectShow && target &&
        target->role() == QAccessible::Notification)
        gTold.notifications << target->text(QAccessible::Name);
    if (event->type() == QAccessible::TextSelectionChanged && event->object() == gText &&
        !gText->hasFocus())
        gTold.selectedBeforeFocus = true;
}

// Commits text through the input method, as a dead key, a compose sequence or ibus does.
void Commit(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestFormKeyboard : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString FSource;

private slots:
    void initTestCase() { FSource = WriteFile(FDir, "t.txt", "une maison\r\nla maison\r\n"); }

    void enterClicksTheFocusedButtonAndRunsExecFromTheSearchField() {
        ShownForm w;
        w.dialogs->openAnswers.push_back(FSource);
        w.form.btnOpen->setFocus();
        Enter(w.form.btnOpen);
        QCOMPARE(w.dialogs->openRuns, 1);
        QCOMPARE(w.status(), QStringLiteral("2 lignes"));
        QTest::keyClicks(w.form.edtSel, "mais");
        w.form.btnGo->setFocus();
        Enter(w.form.btnGo, true);
        QCOMPARE(w.results().size(), 2);
        w.form.edtSel->setFocus(); // selects "mais", which "on" replaces
        QTest::keyClicks(w.form.edtSel, "on");
        Enter(w.form.edtSel);
        QCOMPARE(w.results(), (QByteArrayList{">1,9:maison", ">2,8:maison"}));
        QVERIFY(w.form.btnSave->isVisible());
    }

    // As a double-click: the occurrence selected and the focus in the text, or the warning.
    void enterOnAResultLineJumps() {
        ShownForm w;
        w.open(FSource);
        w.search("maison");
        w.form.mmo->setFocus();
        QTest::keyClick(w.form.mmo, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(w.form.mmo, Qt::Key_Down);
        Enter(w.form.mmo);
        QCOMPARE(w.form.mmoText->selStart(), 15);
        QCOMPARE(w.form.mmoText->selectedText(), std::string("maison"));
        QVERIFY(w.form.mmoText->hasFocus());

        w.form.mmo->setFocus();
        QTest::keyClick(w.form.mmo, Qt::Key_End, Qt::ControlModifier); // the empty last row
        BoxWatcher watcher;
        Enter(w.form.mmo, true);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(watcher.seen.front().text, QStringLiteral("Erreur de sélection"));
    }

    void ctrlOOpensAndCtrlSSavesWhileShown() {
        ShownForm w;
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        w.dialogs->openAnswers.push_back(FSource);
        QTest::keyClick(&w.form, Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(w.dialogs->openRuns, 1);
        QCOMPARE(w.form.mmoText->lineCount(), 2);
        QTest::keyClick(&w.form, Qt::Key_S, Qt::ControlModifier); // btnSave hidden
        QTest::qWait(300);
        QCOMPARE(w.dialogs->saveRuns, 0);
        w.search("maison");
        const QString saved = FDir.filePath("r.txt");
        w.dialogs->saveAnswers.push_back(saved);
        QTest::keyClick(w.form.edtSel, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(w.dialogs->saveRuns, 1);
        QCOMPARE(ReadFile(saved), std::string(">1,5:maison\r\n>2,4:maison\r\n"));
        QVERIFY(!w.form.btnSave->isVisible());
    }

    // The window is a frame with its caption; the picture buttons have names and tooltips; panel
    // 0 of the status bar is a label whose text is announced once a load or a run ends.
    void namesAndTheStatusText() {
        ShownForm w;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w.form);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Recherche de texte"));
        QCOMPARE(AccessibleName(w.form.btnOpen), QStringLiteral("Ouvrir un fichier source"));
        QCOMPARE(w.form.btnOpen->toolTip(), QStringLiteral("Ouvrir un fichier source"));
        QCOMPARE(AccessibleName(w.form.btnSave), QStringLiteral("Enregistrer les résultats"));
        QCOMPARE(w.form.btnSave->toolTip(), QStringLiteral("Enregistrer les résultats"));
        QCOMPARE(AccessibleName(w.form.btnGo), QStringLiteral("Exec."));

        SetAccessibilityRecorder(RecordNames);
        gNamesChanged.clear();
        w.open(WriteFile(FDir, "long.txt", std::string(50000, '\n')));
        w.search("x");
        SetAccessibilityRecorder(nullptr);
        QCOMPARE(gNamesChanged, (QStringList{"50000 lignes", "Line : 50000/50000"}));
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(w.form.StatusBar);
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QCOMPARE(bar->child(0)->role(), QAccessible::StaticText);
        QCOMPARE(bar->child(0)->text(QAccessible::Name), QStringLiteral("Line : 50000/50000"));
        QCOMPARE(bar->indexOfChild(bar->child(0)), 0);
    }

    // The two views and the two edits have French names; the labels keep their blank on screen.
    void theViewsAndTheEditsAreNamed() {
        ShownForm w;
        QCOMPARE(AccessibleName(w.form.mmo), QStringLiteral("Résultats"));
        QCOMPARE(AccessibleName(w.form.mmoText), QStringLiteral("Texte du fichier"));
        QCOMPARE(AccessibleName(w.form.edtSrc), QStringLiteral("Fichier source"));
        QCOMPARE(AccessibleName(w.form.edtSel), QStringLiteral("Chaine"));
        QCOMPARE(AccessibleName(w.form.lblSrc), QStringLiteral("Fichier source"));
        QCOMPARE(w.form.lblSrc->text(), QStringLiteral("Fichier source "));
        QCOMPARE(w.form.lblSel->text(), QStringLiteral("Chaine "));
    }

    // The end of a load and of a run is a notification, which a screen reader speaks wherever the
    // focus is; a failed run says nothing but its box. The search string is not written back when
    // trimming leaves it as it is (a screen reader would read it again), and is when trimming
    // changes it: writing a text clears the edit's undo history.
    void theEndOfALoadAndOfARunIsAnnounced() {
        ShownForm w;
        gTold = {};
        SetAccessibilityRecorder(RecordTold);
        const auto announced = [](qsizetype count) {
            return QTest::qWaitFor([count] { return gTold.notifications.size() >= count; });
        };
        w.open(FSource);
        QVERIFY(announced(1));
        w.search("maison");
        QVERIFY(announced(2));
        const bool keptAsTyped = w.form.edtSel->isUndoAvailable();
        w.search("x");
        QVERIFY(announced(3));
        w.form.edtSel->clear();
        QTest::keyClicks(w.form.edtSel, " maison ");
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QVERIFY(announced(4));
        const bool writtenBack = !w.form.edtSel->isUndoAvailable();
        const QString missing = FDir.filePath("absent.txt");
        QFile::copy(FSource, missing);
        w.open(missing);
        QVERIFY(announced(5));
        QFile::remove(missing);
        BoxWatcher watcher;
        QTest::mouseClick(w.form.btnGo, Qt::LeftButton);
        QTest::qWait(2 * TPanelStatusBar::kAnnouncementDelayMs);
        SetAccessibilityRecorder(nullptr);
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("maison"));
        QVERIFY(keptAsTyped);
        QVERIFY(writtenBack);
        QCOMPARE(watcher.seen.size(), size_t(1));
        QCOMPARE(gTold.notifications,
                 (QStringList{"2 lignes", "Line : 2/2, 2 résultats", "Line : 2/2, aucun résultat",
                              "Line : 2/2, 2 résultats", "2 lignes"}));
    }

    // After a run the keyboard finds the first result: Tab into the list reads it and Enter
    // jumps there, while the list stays scrolled to its end for the eye. The jump moves the focus
    // before it selects, so a screen reader says where the focus went and what is selected.
    void tabIntoTheResultsFindsTheFirstAndTheJumpFocusesFirst() {
        ShownForm w;
        std::string text;
        for (int i = 0; i < 300; ++i)
            text += "une maison\r\n";
        w.open(WriteFile(FDir, "many.txt", text));
        w.search("maison");
        QCoreApplication::processEvents();
        QCOMPARE(w.form.mmo->caretRow(), 0);
        QVERIFY(w.form.mmo->verticalScrollBar()->value() > 0);
        w.form.btnSave->setFocus();
        QTest::keyClick(w.form.btnSave, Qt::Key_Tab);
        QTRY_VERIFY(w.form.mmo->hasFocus());
        QCOMPARE(w.form.mmo->verticalScrollBar()->value(), 0);
        gTold = {};
        gText = w.form.mmoText;
        SetAccessibilityRecorder(RecordTold);
        Enter(w.form.mmo);
        SetAccessibilityRecorder(nullptr);
        QVERIFY(w.form.mmoText->hasFocus());
        QCOMPARE(w.form.mmoText->selStart(), 4);
        QCOMPARE(w.form.mmoText->selectedText(), std::string("maison"));
        QVERIFY(!gTold.selectedBeforeFocus);
    }

    // Dead keys, compose sequences and input methods commit their text: the read-only edtSrc
    // refuses it and says it takes none, edtSel takes it.
    void aReadOnlyFieldTakesNoInputMethodText() {
        ShownForm w;
        w.open(FSource);
        Commit(w.form.edtSrc, QStringLiteral("ê"));
        QCOMPARE(w.form.edtSrc->text(), FSource);
        QCOMPARE(w.form.edtSrc->inputMethodQuery(Qt::ImEnabled).toBool(), false);
        QVERIFY(!w.form.edtSrc->testAttribute(Qt::WA_InputMethodEnabled));
        w.form.edtSel->setFocus();
        QTest::keyClicks(w.form.edtSel, "f");
        Commit(w.form.edtSel, QStringLiteral("ê"));
        QTest::keyClicks(w.form.edtSel, "te");
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("fête"));
        QVERIFY(w.form.edtSel->inputMethodQuery(Qt::ImEnabled).toBool());
    }

    // The platform sends a composed character at once, while the keys typed before it may still
    // wait in the window-system queue: they reach the edit first, a Tab among them included.
    void aComposedCharacterKeepsTheOrderTyped() {
        ShownForm w;
        w.form.edtSel->setFocus();
        QueueKey(w.form.edtSel, Qt::Key_F, QStringLiteral("f"));
        Commit(w.form.edtSel, QStringLiteral("ê"));
        QueueKey(w.form.edtSel, Qt::Key_T, QStringLiteral("t"));
        QueueKey(w.form.edtSel, Qt::Key_E, QStringLiteral("e"));
        QCoreApplication::processEvents();
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("fête"));

        QWidget pair;
        auto* first = new TEdit(&pair);
        auto* second = new TEdit(&pair);
        pair.show();
        pair.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&pair));
        first->setFocus();
        QueueKey(first, Qt::Key_Tab, QString());
        Commit(first, QStringLiteral("ê"));
        QCOMPARE(first->text(), QString());
        QCOMPARE(second->text(), QStringLiteral("ê"));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormKeyboard test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_keyboard.moc"
