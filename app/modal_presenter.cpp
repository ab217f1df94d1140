#include "app/modal_presenter.h"

#include "app/screen_fit.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QScreen>
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
