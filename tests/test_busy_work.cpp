// SPDX-License-Identifier: GPL-3.0-or-later
// Work done on a second thread while the window waits: what the user gives meanwhile (keys, a
// close of the window) takes effect after the work, in its order; the work's errors reach the GUI
// thread. Input is given as a platform gives it, through Qt's window-system queue.
#include "app/application.h"
#include "app/busy_work.h"
#include "fifo_writer.h"
#include "form_fixture.h"
#include "queued_input.h"
#include "text/errors.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <qpa/qwindowsysteminterface.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace {

using WindowSystem = QWindowSystemInterface;

// How the window system asks a window to close: queued with the input (X11's
// WM_DELETE_WINDOW), or at once, through QWindow::close.
enum class CloseKind { Queued, AtOnce };

void AskClose(QWidget* widget, CloseKind kind) {
    QWindow* window = widget->window()->windowHandle();
    if (kind == CloseKind::Queued)
        WindowSystem::handleCloseEvent<WindowSystem::AsynchronousDelivery>(window);
    else
        window->close();
}

// A window with an edit that writes down what reaches it: the text typed, then "close".
class Journal : public QWidget {
public:
    Journal() {
        FEdit = new QLineEdit(this);
        connect(FEdit, &QLineEdit::textEdited, this, [this](const QString& text) { log << text; });
    }
    QLineEdit* edit() const { return FEdit; }
    QStringList log;

protected:
    void closeEvent(QCloseEvent* event) override {
        log << QStringLiteral("close");
        QWidget::closeEvent(event);
    }

private:
    QLineEdit* FEdit;
};

// Calls what when a close reaches the widget.
class CloseWatch : public QObject {
public:
    CloseWatch(QWidget* widget, std::function<void()> what) : FWhat(std::move(what)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close)
            FWhat();
        return false;
    }

private:
    std::function<void()> FWhat;
};

// Work that lasts until release() and a little longer, so that the loop has had time to deliver
// whatever it would deliver during the work.
class SlowWork {
public:
    void operator()() const {
        while (!FReleased)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    void release() { FReleased = true; }

private:
    std::atomic<bool> FReleased = false;
};

} // namespace

class TestBusyWork : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    // Keys and a close given during the work wait until it has ended and take effect in their
    // order, the close last; the window meanwhile shows the wait cursor and ticks.
    void inputAndACloseWaitForTheWork_data() {
        QTest::addColumn<CloseKind>("kind");
        QTest::newRow("close queued with the input") << CloseKind::Queued;
        QTest::newRow("close made at once") << CloseKind::AtOnce;
    }
    void inputAndACloseWaitForTheWork() {
        QFETCH(CloseKind, kind);
        Journal window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        window.edit()->setFocus();
        QTRY_VERIFY(window.edit()->hasFocus());

        SlowWork work;
        int ticks = 0;
        bool waitCursor = true;
        QStringList duringWork;
        RunBusy(
            std::ref(work),
            [&] {
                const QCursor* cursor = QApplication::overrideCursor();
                waitCursor = waitCursor && cursor && cursor->shape() == Qt::WaitCursor;
                if (++ticks == 1) {
                    QueueKey(window.edit(), Qt::Key_A, QStringLiteral("a"));
                    QueueKey(window.edit(), Qt::Key_B, QStringLiteral("b"));
                    AskClose(&window, kind);
                    work.release();
                }
                duringWork += window.log;
            },
            20);
        QVERIFY(ticks > 1);
        QVERIFY(waitCursor);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(duringWork, QStringList());
        QVERIFY(window.isVisible());

        QTRY_VERIFY(!window.isVisible());
        QCOMPARE(window.log, (QStringList{"a", "ab", "close"}));
    }

    // A file dropped on the window during the work is refused (the drag's source keeps it): it
    // would load in the middle of a load or a run.
    void aDropDuringTheWorkIsRefused() {
        ShownForm w;
        const QString dropped = WriteFile(FDir, "lâché.txt", "lâché\n");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        const QPoint inside = w.form.rect().center();
        bool entered = true, taken = true;
        QTimer::singleShot(0, [&] {
            QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w.form, &enter);
            entered = enter.isAccepted();
            QDropEvent drop(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&w.form, &drop);
            taken = drop.isAccepted();
        });
        SlowWork work;
        work.release();
        RunBusy(std::ref(work));
        QVERIFY(!entered);
        QVERIFY(!taken);
        QTest::qWait(50);
        QCOMPARE(w.form.edtSrc->text(), QString());
        QCOMPARE(w.form.mmoText->lineCount(), 0);
    }

    // The work's exception is raised again on the GUI thread, of its kind and with its message.
    void theWorksErrorReachesTheCaller() {
        try {
            RunBusy([] { throw EInOutError(2); });
            QFAIL("no error");
        } catch (const EInOutError& error) {
            QCOMPARE(error.code(), 2);
        }
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, RunBusy([] { throw std::bad_alloc(); }));
        QVERIFY(!QApplication::overrideCursor());
    }

    // In the window: a search string changed and a close asked during a run take effect after
    // it. The run lists its results first, then the typed key empties them (the change rule),
    // then the window closes.
    void aRunListsItsResultsBeforeTheInputGivenDuringIt() {
        ShownForm w;
        const QString fifo = FDir.filePath("lent");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        w.open(fifo);
        w.form.edtSel->setFocus();
        QTest::keyClicks(w.form.edtSel, QStringLiteral("mot"));

        const FifoWriter pipe(fifo.toStdString());
        QStringList seen; // what the window showed when each input took effect
        connect(w.form.edtSel, &QLineEdit::textEdited, this,
                [&] { seen << QStringLiteral("key, %1 results").arg(w.results().size()); });
        const CloseWatch closing(&w.form, [&] { seen << "close, " + w.form.edtSel->text(); });
        bool givenDuringTheRun = false;
        std::atomic<bool> given = false;
        std::thread writer([&] {
            QMetaObject::invokeMethod(&w.form, [&] {
                givenDuringTheRun = QApplication::overrideCursor() != nullptr;
                QueueKey(w.form.edtSel, Qt::Key_S, QStringLiteral("s"));
                AskClose(&w.form, CloseKind::AtOnce);
                given = true;
            });
            // The run ends with the writing: not before the input is given (or a while has
            // passed, when the run gives the loop no turn).
            for (int i = 0; i < 1000 && !given; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            for (int i = 0; i < 10; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                if (::write(pipe.fd(), "mot\n", 4) != 4)
                    break;
            }
            ::close(pipe.fd());
        });
        QTest::keyClick(w.form.edtSel, Qt::Key_Return); // the run
        writer.join();
        QVERIFY(givenDuringTheRun);
        QCOMPARE(w.results().size(), 10);
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("mot"));
        QVERIFY(w.form.isVisible());

        QTRY_VERIFY(!w.form.isVisible());
        QCOMPARE(seen, (QStringList{"key, 10 results", "close, mots"}));
        QCOMPARE(w.form.edtSel->text(), QStringLiteral("mots"));
        QCOMPARE(w.results().size(), 0);
        ::unlink(fifo.toLocal8Bit().constData());
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // the windows closed here end no test
    TestBusyWork test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_busy_work.moc"
