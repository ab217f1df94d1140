// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own open and save dialogs: the filter choices as the user reads them, the files
// each lists, and what a dialog keeps of its last accepted run.
#include "app/application.h"
#include "app/file_dialogs.h"
#include "ui_helpers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// The names the dialog lists in its folder, sorted.
QStringList Listed(const QFileDialog& dialog) {
    const auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
    QStringList names;
    for (int row = 0; view && row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

QLineEdit* FileNameEdit(const QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Picks the filter choice as the user does, in the dialog's list of choices.
void ChooseFilter(QFileDialog& dialog, int index) {
    auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(combo);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void initTestCase() {
        for (const char* name : {"a.txt", "notes.md", "LISEZMOI"})
            WriteFile(FDir, name, "x");
    }

    void theChoicesReadAsGivenAndTheSecondListsEveryFile_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void theChoicesReadAsGivenAndTheSecondListsEveryFile() {
        QFETCH(bool, save);
        QFileDialog dialog;
        SetUpFileDialog(dialog, save, {});
        dialog.setDirectory(FDir.path());
        dialog.selectFile(QStringLiteral("r.txt"));
        dialog.show();
        const auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(combo);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Fichiers texte (*.txt)"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Tous les fichiers (*.*)"));
        QCOMPARE(SelectedFilter(dialog), 0);
        QTRY_COMPARE(Listed(dialog), QStringList({"a.txt"}));
        ChooseFilter(dialog, 1);
        QTRY_COMPARE(Listed(dialog), QStringList({"LISEZMOI", "a.txt", "notes.md"}));
        QCOMPARE(SelectedFilter(dialog), 1);
        // The name given keeps its extension: in the save dialog, a "*.*" pattern makes it "r.*".
        QCOMPARE(FileNameEdit(dialog)->text(), QStringLiteral("r.txt"));
    }

    // A file without a dot picked under "Tous les fichiers" is opened as it is named, and the next
    // run opens with that file and that choice.
    void aFileWithoutADotIsOpenedAndRemembered() {
        StandardFileDialogs dialogs;
        const QString file = FDir.filePath(QStringLiteral("LISEZMOI"));
        int runs = 0;
        int seenFilter = -1;
        QString seenName;
        QString seenFolder;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            if (++runs == 1) {
                ChooseFilter(*dialog, 1);
                FileNameEdit(*dialog)->setText(file); // as typed
                static_cast<QDialog*>(dialog)->accept();
            } else {
                seenFilter = SelectedFilter(*dialog);
                seenName = FileNameEdit(*dialog)->text();
                seenFolder = dialog->directory().path();
                dialog->reject();
            }
        });
        timer.start(10);
        QCOMPARE(dialogs.runOpen(nullptr), std::optional<QString>(file)); // not LISEZMOI.txt
        QCOMPARE(dialogs.runOpen(nullptr), std::optional<QString>());
        QCOMPARE(seenFilter, 1);
        QCOMPARE(seenName, QStringLiteral("LISEZMOI"));
        QCOMPARE(seenFolder, FDir.path());
    }

    // After the dialog the window is given back with its focus, also when Qt Widgets missed its
    // activation (Enter that closes the completion list and the dialog together, on X11).
    void theWindowAndItsFocusComeBackAfterTheDialog() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* first = new QLineEdit;
        auto* second = new QLineEdit;
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        second->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), second);
        StandardFileDialogs dialogs;
        QTimer::singleShot(50, this, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        QCOMPARE(dialogs.runSave(&window), std::optional<QString>());
        QTRY_COMPARE(QGuiApplication::focusWindow(), window.windowHandle());
        QApplication::setActiveWindow(nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), second);
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFileDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_file_dialogs.moc"
