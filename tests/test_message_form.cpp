// SPDX-License-Identifier: GPL-3.0-or-later
// The message dialog: its layout from the message-box font, how it closes and with what result,
// Ctrl+C, and the modal presentation (other windows disabled, focus given back).
#include "app/message_form.h"
#include "app/modal_presenter.h"
#include "text/errors.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

// Rounds a*b/c to the nearest integer, as the dialog's layout does (all operands positive here).
int Scale(int a, int b, int c) {
    return (a * b * 2 + c) / (2 * c);
}

// The dialog's geometry computed from the font it uses.
struct TExpected {
    QSize client;
    QRect image;
    QRect message;
    std::vector<QRect> buttons;
};

TExpected Expected(const QFont& font, const QString& text, const QStringList& captions) {
    const QFontMetrics fm(font);
    const int x = fm.horizontalAdvance(
                      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                  52;
    const int y = fm.height();
    const int hMargin = Scale(8, x, 4), vMargin = Scale(8, y, 8);
    const int hSpacing = Scale(10, x, 4), vSpacing = Scale(10, y, 8);
    int bWidth = Scale(50, x, 4);
    for (const QString& caption : captions)
        bWidth = std::max(bWidth, fm.horizontalAdvance(QString(caption).remove('&')) + 8);
    const int bHeight = Scale(14, y, 8), bSpacing = Scale(4, x, 4);
    const QRect textRect =
        fm.boundingRect(QRect(0, 0, QGuiApplication::primaryScreen()->geometry().width() / 2, 0),
                        Qt::TextWordWrap | Qt::TextExpandTabs, text);
    const int w = textRect.width(), h = textRect.height();
    const int itHeight = std::max(h, 32);
    const int n = int(captions.size());
    const int group = n * bWidth + (n - 1) * bSpacing;
    TExpected e;
    e.client = QSize(std::max(w + hSpacing + 32, group) + 2 * hMargin,
                     itHeight + bHeight + vSpacing + 2 * vMargin);
    e.image = QRect(hMargin, vMargin, 32, 32);
    e.message = QRect(hMargin + 32 + hSpacing, vMargin, w, h);
    for (int i = 0; i < n; ++i)
        e.buttons.emplace_back((e.client.width() - group) / 2 + i * (bWidth + bSpacing),
                               itHeight + vMargin + vSpacing, bWidth, bHeight);
    return e;
}

// Runs show() while drive() works on the modal dialog it opens. A watchdog closes a dialog that
// drive() left open, so a failing check cannot hang the suite.
int RunModal(const std::function<int()>& show, const std::function<void(QDialog&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            driven = true;
            drive(*dialog);
        }
    });
    QTimer watchdog;
    watchdog.setInterval(5000);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->done(-1);
    });
    watchdog.start();
    const int result = show();
    return driven ? result : -2;
}

QWidget* KeyTarget(QDialog& dialog) {
    return dialog.focusWidget() ? dialog.focusWidget() : &dialog;
}

void Press(QDialog& dialog, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(dialog), key, modifiers);
}

// A window of the program: two edits, the second one focused.
class TWindow : public QWidget {
public:
    QLineEdit* first = new QLineEdit(this);
    QLineEdit* second = new QLineEdit(this);
    TWindow() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(first);
        layout->addWidget(second);
    }
};

// A dialog whose showing fails.
class TFailingDialog : public QDialog {
public:
    int exec() override { throw EOutOfMemory(); }
};

} // namespace

class TestMessageForm : public QObject {
    Q_OBJECT
private slots:
    void warningDialogElements() {
        TMessageForm form(QStringLiteral("Erreur de sélection"), mtWarning, mbOK);
        QCOMPARE(form.windowTitle(), QStringLiteral("Avertissement"));
        QCOMPARE(form.font(), QApplication::font("QMessageBox"));
        const auto* image = form.findChild<QLabel*>("Image");
        const auto* message = form.findChild<QLabel*>("Message");
        const auto* ok = form.findChild<QPushButton*>("OK");
        QVERIFY(image && message && ok);
        QCOMPARE(image->pixmap().deviceIndependentSize(), QSizeF(32, 32));
        QCOMPARE(message->text(), QStringLiteral("Erreur de sélection"));
        QVERIFY(message->wordWrap());
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        QCOMPARE(form.findChildren<QPushButton*>().size(), 1);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowContextHelpButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
    }

    void layoutFollowsTheFont_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("warning") << QStringLiteral("Erreur de sélection") << int(mbOK)
                                 << QStringList{"OK"};
        QTest::newRow("wrapped") << QString(400, 'm').replace(QRegularExpression("m{9}"),
                                                              "mmmmmmmm ")
                                 << int(mbOK) << QStringList{"OK"};
        QTest::newRow("short text, three buttons")
            << QStringLiteral("?") << int(mbYes | mbNo | mbCancel)
            << QStringList{"&Oui", "&Non", "Annuler"};
        QTest::newRow("tab and line break")
            << QStringLiteral("a\tb\nsecond line") << int(mbOK) << QStringList{"OK"};
    }
    void layoutFollowsTheFont() {
        QFETCH(QString, text);
        QFETCH(int, buttons);
        QFETCH(QStringList, captions);
        TMessageForm form(text, mtWarning, TMsgDlgButtons::fromInt(buttons));
        const TExpected expected = Expected(form.font(), text, captions);
        QCOMPARE(form.size(), expected.client);
        QCOMPARE(form.findChild<QLabel*>("Image")->geometry(), expected.image);
        QCOMPARE(form.findChild<QLabel*>("Message")->geometry(), expected.message);
        const QList<QPushButton*> shown = form.findChildren<QPushButton*>();
        QCOMPARE(shown.size(), captions.size());
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i]->text(), captions[i]);
            QCOMPARE(shown[i]->geometry(), expected.buttons[size_t(i)]);
        }
    }

    void wrappedTextStaysWithinHalfTheScreen() {
        const QString text = QString("mot ").repeated(300);
        TMessageForm form(text, mtWarning, mbOK);
        const QRect message = form.findChild<QLabel*>("Message")->geometry();
        QVERIFY(message.width() <= QGuiApplication::primaryScreen()->geometry().width() / 2);
        QVERIFY(message.height() > 3 * QFontMetrics(form.font()).height());
    }

    void ctrlCCopiesTheDialogAsText() {
        QGuiApplication::clipboard()->clear();
        QString copied, afterOtherModifiers;
        const int result = RunModal(
            [] { return MessageDialog(QStringLiteral("Erreur de sélection"), mtWarning, mbOK); },
            [&](QDialog& dialog) {
                Press(dialog, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
                Press(dialog, Qt::Key_C, Qt::AltModifier);
                afterOtherModifiers = QGuiApplication::clipboard()->text();
                Press(dialog, Qt::Key_C, Qt::ControlModifier);
                copied = QGuiApplication::clipboard()->text();
                Press(dialog, Qt::Key_Escape);
            });
        QCOMPARE(result, 1);
        QCOMPARE(afterOtherModifiers, QString());
        const QString rule(27, '-');
        QCOMPARE(copied, rule + "\r\nAvertissement\r\n" + rule + "\r\nErreur de sélection\r\n" +
                             rule + "\r\nOK   \r\n" + rule + "\r\n");
    }

    void copiedButtonCaptionsLoseTheirAmpersands() {
        TMessageForm form(QStringLiteral("Sûr ?"), mtConfirmation, mbYes | mbNo);
        QVERIFY(form.copyText().contains(QStringLiteral("\r\nOui   Non   \r\n")));
        QVERIFY(form.copyText().contains(QStringLiteral("\r\nConfirmation\r\n")));
    }

    void howTheDialogCloses_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK: Enter") << int(mbOK) << "enter" << 1;
        QTest::newRow("OK: keypad Enter") << int(mbOK) << "keypad" << 1;
        QTest::newRow("OK: Esc") << int(mbOK) << "esc" << 1;
        QTest::newRow("OK: button") << int(mbOK) << "click OK" << 1;
        QTest::newRow("OK: close box") << int(mbOK) << "close" << 1;
        QTest::newRow("Yes/No: Enter") << int(mbYes | mbNo) << "enter" << int(mrYes);
        QTest::newRow("Yes/No: Esc") << int(mbYes | mbNo) << "esc" << int(mrNo);
        QTest::newRow("Yes/No/Cancel: close box")
            << int(mbYes | mbNo | mbCancel) << "close" << int(mrCancel);
        QTest::newRow("Yes/No/Cancel: No")
            << int(mbYes | mbNo | mbCancel) << "click Non" << int(mrNo);
        QTest::newRow("no button shows OK") << 0 << "click OK" << 1;
    }
    void howTheDialogCloses() {
        QFETCH(int, buttons);
        QFETCH(QString, how);
        QFETCH(int, result);
        bool stillOpenAfterOtherKeys = false;
        const int got = RunModal(
            [&] {
                return MessageDialog(QStringLiteral("x"), mtWarning,
                                     TMsgDlgButtons::fromInt(buttons));
            },
            [&](QDialog& dialog) {
                Press(dialog, Qt::Key_A);
                Press(dialog, Qt::Key_C);
                stillOpenAfterOtherKeys = dialog.isVisible();
                if (how == "enter")
                    Press(dialog, Qt::Key_Return);
                else if (how == "keypad")
                    Press(dialog, Qt::Key_Enter, Qt::KeypadModifier);
                else if (how == "esc")
                    Press(dialog, Qt::Key_Escape);
                else if (how == "close")
                    dialog.close();
                else
                    QTest::mouseClick(dialog.findChild<QPushButton*>(how.mid(6)), Qt::LeftButton);
            });
        QVERIFY(stillOpenAfterOtherKeys);
        QCOMPARE(got, result);
    }

    void presentationDisablesTheOtherWindowsAndGivesTheFocusBack() {
        TWindow main, other, hidden, disabled;
        other.show();
        disabled.show();
        disabled.setEnabled(false);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.second->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), main.second);

        bool mainDisabled = false, otherDisabled = false, hiddenTouched = true;
        bool centred = false;
        const int result = RunModal(
            [] { return MessageDialog(QStringLiteral("Erreur de sélection"), mtWarning, mbOK); },
            [&](QDialog& dialog) {
                mainDisabled = !main.isEnabled();
                otherDisabled = !other.isEnabled();
                hiddenTouched = !hidden.isEnabled();
                const QPoint screenCentre = main.screen()->geometry().center();
                centred = (dialog.frameGeometry().center() - screenCentre).manhattanLength() <= 2;
                Press(dialog, Qt::Key_Return);
            });
        QCOMPARE(result, 1);
        QVERIFY(mainDisabled);
        QVERIFY(otherDisabled);
        QVERIFY(!hiddenTouched);
        QVERIFY(centred);
        QVERIFY(main.isEnabled());
        QVERIFY(other.isEnabled());
        QVERIFY(!disabled.isEnabled()); // was disabled before: stays so
        QTRY_COMPARE(QApplication::activeWindow(), &main);
        QTRY_COMPARE(QApplication::focusWidget(), main.second);
    }

    void aMessageBoxOpensCentredOnTheScreenAndUsable() {
        TWindow main;
        main.setGeometry(10, 10, 200, 100);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        // A box that sizes itself only when shown, owned by the window: the owner cannot be
        // disabled without disabling the box, and the box still opens at the screen's centre.
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Trouve"),
                        QStringLiteral("Fichier introuvable."), QMessageBox::Ok, &main);
        bool boxEnabled = false, centred = false;
        const int result = RunModal(
            [&] { return ExecPresented(box); },
            [&](QDialog& dialog) {
                boxEnabled = dialog.isEnabled();
                const QPoint screenCentre = main.screen()->geometry().center();
                centred = (dialog.frameGeometry().center() - screenCentre).manhattanLength() <= 2;
                Press(dialog, Qt::Key_Return);
            });
        QCOMPARE(result, int(QMessageBox::Ok));
        QVERIFY(boxEnabled);
        QVERIFY(centred);
        QVERIFY(main.isEnabled());
    }

    // Once active again, the window keeps the focus its user moves at once. Qt Widgets can miss
    // the window's activation when a popup and its dialog close together (X11): the window is
    // given back to it.
    void theWindowIsLeftAloneOnceActiveAndGivenBackUntilThen() {
        TWindow main;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.second->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), main.second);
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Trouve"),
                        QStringLiteral("Fichier introuvable."), QMessageBox::Ok);
        const auto present = [&] {
            RunModal([&] { return ExecPresented(box); },
                     [&](QDialog& dialog) { Press(dialog, Qt::Key_Return); });
        };
        present();
        main.first->setFocus();
        QTest::qWait(500);
        QCOMPARE(QApplication::focusWidget(), main.first);

        main.second->setFocus();
        present();
        QTRY_COMPARE(QGuiApplication::focusWindow(), main.windowHandle());
        QApplication::setActiveWindow(nullptr); // the activation that Qt Widgets missed
        QVERIFY(!main.isActiveWindow());
        QTRY_COMPARE(QApplication::activeWindow(), &main);
        QCOMPARE(QApplication::focusWidget(), main.second);
    }

    void aFailedShowingStillRestores() {
        TWindow main;
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.first->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), main.first);
        main.second->setFocus();
        TFailingDialog dialog;
        QVERIFY_THROWS_EXCEPTION(EOutOfMemory, ExecPresented(dialog));
        QVERIFY(main.isEnabled());
        QTRY_COMPARE(QApplication::focusWidget(), main.second);
    }
};

QTEST_MAIN(TestMessageForm)
#include "test_message_form.moc"
