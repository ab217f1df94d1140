// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/modal_presenter.h"

#include "app/screen_fit.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace {

// Whether window owns the dialog, directly or through other windows. Disabling it would disable
// the dialog too, so it stays enabled; the dialog's modality still keeps input from it.
bool OwnsDialog(const QWidget* window, const QDialog& dialog) {
    for (const QWidget* w = dialog.parentWidget(); w; w = w->parentWidget())
        if (w == window)
            return true;
    return false;
}

// Gives window the keyboard back after a dialog, until Qt has it active: every kRetryMs, for
// kRetries times at most, while no other window of the program has become active meanwhile. On
// X11 an activation can come while a popup still shows (Enter that closes a file dialog's
// completion list closes the dialog too): Qt Widgets ignores it, and the window has the keyboard
// but no active window and no focus widget, so keys go nowhere and a screen reader finds no
// focus. Qt knows the window as its focus window then, and Qt Widgets is told. A window that is
// active keeps its focus as the user moves it.
constexpr int kRetryMs = 100;
constexpr int kRetries = 20;

void GiveBack(const QPointer<QWidget>& window, const QPointer<QWidget>& focus, int retries) {
    if (!window || !window->isVisible() || window->isActiveWindow() ||
        QApplication::activeWindow() || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return;
    if (QGuiApplication::focusWindow() == window->windowHandle()) {
        QApplication::setActiveWindow(window);
        if (focus && focus->isEnabled() && focus->window() == window)
            focus->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    window->activateWindow();
    if (retries > 0)
        QTimer::singleShot(kRetryMs, window,
                           [window, focus, retries] { GiveBack(window, focus, retries - 1); });
}

// What a presentation changes and gives back when it ends, however it ends.
class TPresentationGuard {
public:
    explicit TPresentationGuard(const QDialog& dialog)
        : FActiveWindow(QApplication::activeWindow()), FFocus(QApplication::focusWidget()) {
        // Disabling a window takes the focus from it, so the focus is noted first.
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window == &dialog || !window->isVisible() || !window->isEnabled() ||
                OwnsDialog(window, dialog))
                continue;
            window->setEnabled(false);
            FDisabled.emplace_back(window);
        }
    }
    ~TPresentationGuard() {
        for (const QPointer<QWidget>& window : FDisabled)
            if (window)
                window->setEnabled(true);
        if (FActiveWindow)
            FActiveWindow->activateWindow();
        if (FFocus && FFocus->isEnabled())
            FFocus->setFocus(Qt::ActiveWindowFocusReason);
        // The activation asked above comes once the dialog has gone: checked until it has.
        QTimer::singleShot(kRetryMs, FActiveWindow, [window = FActiveWindow, focus = FFocus] {
            GiveBack(window, focus, kRetries);
        });
    }
    TPresentationGuard(const TPresentationGuard&) = delete;
    TPresentationGuard& operator=(const TPresentationGuard&) = delete;

private:
    QPointer<QWidget> FActiveWindow;
    QPointer<QWidget> FFocus;
    std::vector<QPointer<QWidget>> FDisabled;
};

// Centres the dialog on a screen's available area, and keeps it wholly there, once it has laid
// itself out for showing: a message box sizes itself only in its show event, so the move comes
// right after that, before the window appears.
class TCentreOnShow : public QObject {
public:
    TCentreOnShow(QDialog& dialog, QScreen* screen) : FDialog(dialog), FScreen(screen) {
        FDialog.installEventFilter(this);
    }
    ~TCentreOnShow() override { FDialog.removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &FDialog || event->type() != QEvent::Show || !FScreen)
            return false;
        FDialog.removeEventFilter(this);
        static_cast<QObject&>(FDialog).event(event);
        const QRect area = FScreen->availableGeometry();
        const QSize size = FDialog.frameGeometry().size();
        FDialog.move(area.x() + (area.width() - size.width()) / 2,
                     area.y() + (area.height() - size.height()) / 2);
        KeepOnScreen(FDialog);
        return true;
    }

private:
    QDialog& FDialog;
    QPointer<QScreen> FScreen;
};

} // namespace

QScreen* PresentationScreen() {
    if (const QWidget* active = QApplication::activeWindow(); active && active->screen())
        return active->screen();
    return QGuiApplication::primaryScreen();
}

int ExecPresented(QDialog& dialog) {
    TCentreOnShow centre(dialog, PresentationScreen());
    const TPresentationGuard guard(dialog);
    return dialog.exec();
}

int ExecRestoringFocus(QDialog& dialog) {
    const TPresentationGuard guard(dialog);
    return dialog.exec();
}
