// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/panel_status_bar_accessible.h"

#include "widgets/accessibility.h"
#include "widgets/panel_status_bar.h"

#include <QPointer>
#include <QTimer>

namespace {

// A part of the bar shown to screen readers: a leaf without an object of its own, so that Qt's
// cache keeps the bar's object for the bar, read-only, over the rectangle of one panel.
class BarPart : public QAccessibleInterface {
public:
    explicit BarPart(TPanelStatusBar* bar) : FBar(bar) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() ? parent()->window() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(FBar);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    TPanelStatusBar* bar() const { return FBar; }
    // Panel index on the screen, or nothing when the bar is gone or has no such panel.
    QRect panelOnScreen(int index) const {
        if (!FBar || index >= FBar->panelCount())
            return {};
        const QRect local = FBar->panelRect(index);
        return QRect(FBar->mapToGlobal(local.topLeft()), local.size());
    }
    // A read-only state, invisible while hidden is true or the bar is not shown.
    QAccessible::State readOnlyState(bool hidden) const {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = hidden || !FBar || !FBar->isVisible();
        return state;
    }

private:
    QPointer<TPanelStatusBar> FBar;
};

// One panel: a label named by the panel's text.
class PanelAccessible : public BarPart {
public:
    PanelAccessible(TPanelStatusBar* bar, int index) : BarPart(bar), FIndex(index) {}

    bool isValid() const override { return bar() && FIndex < bar()->panelCount(); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? bar()->panelText(FIndex) : QString();
    }
    QRect rect() const override { return panelOnScreen(FIndex); }
    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return readOnlyState(!isValid()); }

private:
    int FIndex;
};

// The bar's notification: named by its last announcement, shown once one was made, over panel
// 0, where the status text that it repeats stands.
class NotificationAccessible : public BarPart {
public:
    explicit NotificationAccessible(TPanelStatusBar* bar) : BarPart(bar) {}

    bool isValid() const override { return bar(); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && bar() ? bar()->announcement() : QString();
    }
    QRect rect() const override { return panelOnScreen(0); }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        return readOnlyState(!bar() || bar()->announcement().isEmpty());
    }
};

} // namespace

PanelStatusBarAccessible::PanelStatusBarAccessible(TPanelStatusBar* bar) : QAccessibleWidget(bar) {}

PanelStatusBarAccessible::~PanelStatusBarAccessible() {
    for (const QAccessible::Id id : FPanels)
        QAccessible::deleteAccessibleInterface(id);
    if (FNotification)
        QAccessible::deleteAccessibleInterface(FNotification);
}

TPanelStatusBar* PanelStatusBarAccessible::bar() const {
    return static_cast<TPanelStatusBar*>(widget());
}

QAccessible::Role PanelStatusBarAccessible::role() const {
    return QAccessible::StatusBar;
}

QAccessibleInterface* PanelStatusBarAccessible::notification() const {
    if (!FNotification)
        FNotification = QAccessible::registerAccessibleInterface(new NotificationAccessible(bar()));
    return QAccessible::accessibleInterface(FNotification);
}

int PanelStatusBarAccessible::childCount() const {
    return bar()->panelCount() + 1 + QAccessibleWidget::childCount();
}

QAccessibleInterface* PanelStatusBarAccessible::child(int index) const {
    const int panels = bar()->panelCount();
    if (index < 0)
        return nullptr;
    if (index == panels)
        return notification();
    if (index > panels)
        return QAccessibleWidget::child(index - panels - 1);
    while (int(FPanels.size()) <= index)
        FPanels.push_back(QAccessible::registerAccessibleInterface(
            new PanelAccessible(bar(), int(FPanels.size()))));
    return QAccessible::accessibleInterface(FPanels[std::size_t(index)]);
}

int PanelStatusBarAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int i = 0; i < int(FPanels.size()) && i < bar()->panelCount(); ++i) {
        if (QAccessible::accessibleInterface(FPanels[std::size_t(i)]) == child)
            return i;
    }
    if (FNotification && QAccessible::accessibleInterface(FNotification) == child)
        return bar()->panelCount();
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? index : bar()->panelCount() + 1 + index;
}

void TPanelStatusBar::announcePanelText(int index) {
    if (!AccessibilityActive())
        return;
    panel(index); // raises for an index that names no panel, as the other accessors
    if (QAccessibleInterface* item = QAccessible::queryAccessibleInterface(this)->child(index)) {
        QAccessibleEvent event(item, QAccessible::NameChanged);
        SendAccessibilityEvent(event);
    }
}

// Shown a moment later: the focus that comes back to the window after a dialog brings a burst
// of events, and a screen reader that finds its queue flooded then drops the showing of objects
// without the focus (Orca 43 does). One notification is pending at most, and shows the last text.
void TPanelStatusBar::announce(const QString& message) {
    FAnnouncement = message;
    if (!AccessibilityActive() || FAnnouncementPending)
        return;
    FAnnouncementPending = true;
    QTimer::singleShot(kAnnouncementDelayMs, this, [this] {
        FAnnouncementPending = false;
        if (!AccessibilityActive())
            return;
        QAccessibleInterface* notification =
            QAccessible::queryAccessibleInterface(this)->child(panelCount());
        QAccessibleEvent shown(notification, QAccessible::ObjectShow);
        SendAccessibilityEvent(shown);
    });
}
