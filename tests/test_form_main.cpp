// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its controls and places, the state rules driven by real keys and clicks, the
// tab order, the edits' select-all, and the splitter.
#include "app/application.h"
#include "app/edit.h"
#include "app/form_main.h"
#include "ui_helpers.h"
#include "widgets/gradient.h"
#include "widgets/prg_status_bar.h"
#include "widgets/splitter.h"
#include "widgets/text_view.h"

#include <QLabel>
#include <QPushButton>
#include <QtMath>

namespace {

// Once laid out, mmo, Splitter1 and mmoText fill Panel1 side by side, none over another.
void MeetEdgeToEdge(const TFormMain& f) {
    QApplication::processEvents();
    const int panel = f.Panel1->width();
    QCOMPARE(f.mmo->x(), 0);
    QCOMPARE(f.Splitter1->x(), f.mmo->width());
    QCOMPARE(f.mmoText->x(), f.Splitter1->x() + TSplitter::kBarWidth);
    QCOMPARE(f.mmoText->x() + f.mmoText->width(), panel);
    QVERIFY(f.mmo->width() == 0 || f.mmoText->width() >= TSplitter::kSnap);
}

} // namespace

class TestFormMain : public QObject {
    Q_OBJECT

    struct Window {
        TFormMain form;
        ScriptedDialogs* dialogs = new ScriptedDialogs;
        Window() {
            form.setFileDialogs(std::unique_ptr<FileDialogs>(dialogs));
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
        }
        // Picks a source through the open dialog.
        void open(const QString& path) {
            dialogs->openAnswers.push_back(path);
            QTest::mouseClick(form.btnOpen, Qt::LeftButton);
        }
    };

    QTemporaryDir FDir;
    QString FSource;

private slots:
    void initTestCase() { FSource = WriteFile(FDir, "a.txt", "une maison\r\ndeux\r\n"); }

    void controlsStandWhereTheWindowPutsThem() {
        Window w;
        TFormMain& f = w.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Recherche de texte"));
        QCOMPARE(f.size(), QSize(575, 443));
        QCOMPARE(f.minimumSize(), QSize(449, 443));
        QCOMPARE(f.Gradient1->geometry(), QRect(0, 0, 575, 67));
        QCOMPARE(f.edtSrc->geometry(), QRect(105, 12, 307, 21));
        QCOMPARE(f.btnOpen->geometry(), QRect(417, 12, 22, 21));
        QCOMPARE(f.edtSel->geometry(), QRect(105, 36, 91, 21));
        QCOMPARE(f.btnGo->geometry(), QRect(204, 36, 79, 21));
        QCOMPARE(f.btnSave->geometry(), QRect(288, 36, 28, 21));
        QCOMPARE(f.lblSrc->text(), QStringLiteral("Fichier source "));
        QCOMPARE(f.lblSel->text(), QStringLiteral("Chaine "));
        QVERIFY(f.lblSrc->font().bold() && f.lblSel->font().bold() && f.btnGo->font().bold());
        QVERIFY(!f.lblSrc->autoFillBackground());
        QCOMPARE(f.btnGo->text(), QStringLiteral("Exec."));
        QVERIFY(f.btnOpen->text().isEmpty() && f.btnSave->text().isEmpty());
        QVERIFY(!f.btnOpen->icon().isNull() && !f.btnGo->icon().isNull());
        QVERIFY(f.edtSrc->isReadOnly() && !f.edtSel->isReadOnly());
        QCOMPARE(f.Panel1->geometry(), QRect(0, 67, 575, 357));
        QCOMPARE(f.mmo->geometry(), QRect(0, 0, 120, 357));
        QCOMPARE(f.Splitter1->geometry(), QRect(120, 0, 5, 357));
        QCOMPARE(f.mmoText->geometry(), QRect(125, 0, 450, 357));
        QCOMPARE(f.StatusBar->geometry(), QRect(0, 424, 575, 19));
        QCOMPARE(f.StatusBar->panelCount(), 3);
        QCOMPARE(f.StatusBar->panelWidth(0), 150);
        QCOMPARE(f.StatusBar->panelWidth(1), 250);
        QCOMPARE(f.StatusBar->panelWidth(2), 50);
        QVERIFY(!f.StatusBar->pgActive());
        QCOMPARE(f.font().pointSize(), 8);
        QCOMPARE(f.FTotalLines, 0);
    }

    // Each label shows its whole text in its own font, 3 pixels left of its edit and centred on
    // the edit's height.
    void labelsHoldTheirWholeTextBesideTheirEdits() {
        Window w;
        const QList<QPair<QLabel*, QWidget*>> pairs = {{w.form.lblSrc, w.form.edtSrc},
                                                       {w.form.lblSel, w.form.edtSel}};
        for (const auto& [label, edit] : pairs) {
            const QFontMetricsF metrics(label->font());
            const QRect place = label->geometry();
            QCOMPARE(place.width(), qCeil(metrics.horizontalAdvance(label->text())));
            QCOMPARE(place.height(), qCeil(metrics.height()));
            QCOMPARE(place.x() + place.width() + 3, edit->x());
            QCOMPARE(place.y() - edit->y(), (edit->height() - place.height()) / 2);
            QVERIFY(place.left() >= 0);
        }
    }

    // The band keeps its light colours under any scheme, so its labels keep their dark text: after
    // a change to a dark scheme, and while a box disables the window. The rest follows the scheme.
    void bandLabelsKeepTheirDarkTextUnderADarkScheme() {
        Window w;
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(48, 48, 48));
        dark.setColor(QPalette::WindowText, QColor(208, 208, 208));
        QApplication::setPalette(dark);
        QApplication::processEvents(); // the widgets take the new palette as the loop runs
        w.form.setEnabled(false);
        const QColor src = w.form.lblSrc->palette().color(QPalette::Active, QPalette::WindowText);
        const QColor sel = w.form.lblSel->palette().color(QPalette::WindowText); // disabled
        const QColor window = w.form.palette().color(QPalette::Window);
        QApplication::setPalette(original);
        QCOMPARE(src, QColor(Qt::black));
        QCOMPARE(sel, QColor(Qt::black));
        QCOMPARE(window, QColor(48, 48, 48));
    }

    void theBandStretchesAndThePanelFillsWhenResized() {
        Window w;
        w.form.resize(700, 500);
        QCOMPARE(w.form.Gradient1->geometry(), QRect(0, 0, 700, 67));
        QCOMPARE(w.form.StatusBar->geometry(), QRect(0, 481, 700, 19));
        QCOMPARE(w.form.mmo->width(), 120);
        QCOMPARE(w.form.mmoText->width(), 700 - 125);
    }

    void startsEmpty() {
        Window w;
        QVERIFY(w.form.edtSrc->text().isEmpty() && w.form.edtSel->text().isEmpty());
        QVERIFY(!w.form.btnGo->isEnabled());
        QVERIFY(!w.form.btnSave->isVisible());
        QCOMPARE(w.form.mmo->lineCount(), 0);
        QCOMPARE(w.form.mmoText->lineCount(), 0);
    }

    void btnGoIsEnabledExactlyWhileBothFieldsHoldText() {
        Window w;
        TFormMain& f = w.form;
        QTest::keyClicks(f.edtSel, "m");
        QVERIFY(!f.btnGo->isEnabled()); // no source yet
        QTest::keyClick(f.edtSel, Qt::Key_Backspace);
        w.open(FSource);
        QVERIFY(!f.btnGo->isEnabled());
        QTest::keyClicks(f.edtSel, "m");
        QVERIFY(f.btnGo->isEnabled());
        QTest::keyClick(f.edtSel, Qt::Key_Backspace);
        QVERIFY(!f.btnGo->isEnabled());
        QCOMPARE(f.mmo->lineCount(), 0);
        QTest::keyClicks(f.edtSel, "   ");
        QVERIFY(f.btnGo->isEnabled()); // blanks are text; the run trims them
    }

    void typingAfterARunThrowsTheResultsAway() {
        Window w;
        TFormMain& f = w.form;
        w.open(FSource);
        QTest::keyClicks(f.edtSel, "maison");
        QTest::mouseClick(f.btnGo, Qt::LeftButton);
        QCOMPARE(f.mmo->lineCount(), 1);
        QVERIFY(f.btnSave->isVisible());
        QTest::keyClicks(f.edtSel, "s");
        QCOMPARE(f.mmo->lineCount(), 0);
        QVERIFY(!f.btnSave->isVisible());
        QVERIFY(f.btnGo->isEnabled());
    }

    void choosingTheSameFileAgainKeepsTheResults() {
        Window w;
        TFormMain& f = w.form;
        w.open(FSource);
        QTest::keyClicks(f.edtSel, "deux");
        QTest::mouseClick(f.btnGo, Qt::LeftButton);
        QCOMPARE(f.mmo->lineCount(), 1);
        w.open(FSource);
        QCOMPARE(f.mmo->lineCount(), 1);
        QVERIFY(f.btnSave->isVisible());
        const QString other = WriteFile(FDir, "b.txt", "deux\n");
        w.open(other);
        QCOMPARE(f.mmo->lineCount(), 0);
        QVERIFY(!f.btnSave->isVisible());
    }

    void tabOrderAndSelectAllOnFocus() {
        Window w;
        TFormMain& f = w.form;
        w.open(FSource);
        QTest::keyClicks(f.edtSel, "mot");
        f.edtSrc->setFocus(Qt::OtherFocusReason);
        QVERIFY(f.edtSrc->hasSelectedText());
        QCOMPARE(f.edtSrc->selectedText(), f.edtSrc->text());
        const QList<QWidget*> order = {f.btnOpen, f.edtSel, f.btnGo, f.mmo, f.mmoText};
        // btnSave is hidden before a run, so Tab passes over it.
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            if (next == f.edtSel)
                QCOMPARE(f.edtSel->selectedText(), QStringLiteral("mot"));
        }
    }

    void aMouseClickInAnEditDoesNotSelectAll() {
        Window w;
        QTest::keyClicks(w.form.edtSel, "mot");
        w.form.btnOpen->setFocus();
        QTest::mouseClick(w.form.edtSel, Qt::LeftButton, {}, QPoint(60, 10));
        QVERIFY(w.form.edtSel->hasFocus());
        QVERIFY(!w.form.edtSel->hasSelectedText());
    }

    void theSearchFieldTakesAnyCharacter() {
        Window w;
        w.form.edtSel->setFocus();
        for (const QChar c : QStringLiteral("é€Āα中")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w.form.edtSel, &press);
        }
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("é€Āα中"));
    }

    void splitterRules_data() {
        QTest::addColumn<int>("dragBy");
        QTest::addColumn<int>("width");
        QTest::newRow("wider") << 80 << 200;
        QTest::newRow("narrower") << -50 << 70;
        QTest::newRow("31 stays") << -89 << 31;
        QTest::newRow("30 collapses") << -90 << 0;
        QTest::newRow("leaves 30 to the text") << 1000 << 575 - 5 - 30;
    }
    void splitterRules() {
        QFETCH(int, dragBy);
        QFETCH(int, width);
        Window w;
        TSplitter* bar = w.form.Splitter1;
        const QPoint grip(2, 100);
        QTest::mousePress(bar, Qt::LeftButton, {}, grip);
        QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(dragBy, 0)),
                         bar->mapToGlobal(QPointF(grip + QPoint(dragBy, 0))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QVERIFY(bar->dragging());
        QCOMPARE(w.form.mmo->width(), 120); // applied on release only
        QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(dragBy, 0));
        QCOMPARE(w.form.mmo->width(), width);
        MeetEdgeToEdge(w.form);
        // The rule holds on screen also when the window is made as narrow as it goes.
        w.form.resize(w.form.minimumSize());
        MeetEdgeToEdge(w.form);
        QVERIFY(w.form.mmoText->width() >= TSplitter::kSnap);
    }

    void escapeCancelsASplitterDrag() {
        Window w;
        TSplitter* bar = w.form.Splitter1;
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(2, 50));
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 50), bar->mapToGlobal(QPointF(60, 50)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QTest::keyClick(bar, Qt::Key_Escape);
        QVERIFY(!bar->dragging());
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(60, 50));
        QCOMPARE(w.form.mmo->width(), 120);
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TestFormMain test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_form_main.moc"
