// The window with the keyboard alone, and what assistive technologies learn of it: Enter on a
// button, in the search field and on a result line, Ctrl+O and Ctrl+S, the buttons' names and the
// status text.
#include "app/application.h"
#include "form_fixture.h"
#include "widgets/accessibility.h"

#include <QAccessible>

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
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormKeyboard test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_keyboard.moc"
