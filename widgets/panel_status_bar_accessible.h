#pragma once
// TPanelStatusBar as assistive technologies see it: a status bar whose panels are labels named by
// their texts, followed by its child widgets (the progress indicator of TPrgStatusBar).

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

    // The panels' interfaces made so far, by index; Qt's cache owns them while they live.
    mutable std::vector<QAccessible::Id> FPanels;
};
