// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPanelStatusBar as assistive technologies see it: a status bar whose panels are labels named by
// their texts, then a notification named by the bar's last announcement, then its child widgets
// (the progress indicator of TPrgStatusBar). A screen reader speaks a notification when it shows,
// wherever the focus is: that is how an announcement reaches the user.

#include <QAccessibleWidget>
#include <vector>

class TPanelStatusBar;

class PanelStatusBarAccessible : public QAccessibleWidget {
public:
    explicit PanelStatusBarAccessible(TPanelStatusBar* bar);
    ~PanelStatusBarAccessible() override;

    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    TPanelStatusBar* bar() const;

    // The panels' interfaces made so far, by index, and the notification's (0 until made); Qt's
    // cache owns them while they live.
    mutable std::vector<QAccessible::Id> FPanels;
    mutable QAccessible::Id FNotification = 0;
    QAccessibleInterface* notification() const;
};
