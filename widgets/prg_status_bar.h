// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A panel status bar that can show a progress indicator inside one of its panels, the host panel.
// While inactive it is an ordinary panel status bar; while active the host panel is owner-drawn
// and holds the indicator, 1 pixel in from each edge.

#include "widgets/panel_status_bar.h"
#include "widgets/progress_indicator.h"

class TPrgStatusBar : public TPanelStatusBar {
    Q_OBJECT
    // Single-panel mode is off for good.
    Q_PROPERTY(bool SimplePanel READ simplePanel)
    Q_PROPERTY(bool PgActive READ pgActive WRITE setPgActive)
    Q_PROPERTY(int PgIndex READ pgIndex WRITE setPgIndex)
    Q_PROPERTY(int PgMax READ pgMax WRITE setPgMax)
    Q_PROPERTY(int PgMin READ pgMin WRITE setPgMin)
    Q_PROPERTY(int PgPosition READ pgPosition WRITE setPgPosition)
    Q_PROPERTY(int PgStep READ pgStep WRITE setPgStep)
public:
    explicit TPrgStatusBar(QWidget* parent = nullptr);

    bool simplePanel() const { return false; }

    bool pgActive() const { return FActive; }
    // Shows or hides the indicator in the host panel, then repaints and processes waiting events.
    // Does nothing at all when the bar has no panel; activating without a host changes nothing.
    void setPgActive(bool active);

    int pgIndex() const { return FHostIndex; }
    // Moves the indicator to another panel; an index that names no panel leaves no host (-1) and
    // the indicator inactive.
    void setPgIndex(int index);

    int pgMax() const { return FIndicator->maximumValue(); }
    // Throws EInvalidOperation when the maximum would fall below the minimum.
    void setPgMax(int max);
    int pgMin() const { return FIndicator->minimumValue(); }
    // Throws EInvalidOperation when the minimum would rise above the maximum.
    void setPgMin(int min);
    int pgPosition() const { return FIndicator->position(); }
    // Processes waiting events afterwards while active, so a long loop keeps the bar painted.
    void setPgPosition(int position);
    int pgStep() const { return FIndicator->step(); }
    void setPgStep(int step);

    // Advance the indicator by its step or by amount; then, while active, process waiting events.
    Q_INVOKABLE void PgStepIt();
    Q_INVOKABLE void PgStepBy(int amount);

    QProgressBar* indicator() const { return FIndicator; }

protected:
    // Places the indicator inside the host panel each time that panel is painted.
    void DrawPanel(QPainter& painter, int index, const QRect& rect) override;

private:
    bool hasHost() const { return FHostIndex >= 0 && FHostIndex < panelCount(); }
    void hideIndicator();
    void processEventsIfActive() const;

    TProgressIndicator* FIndicator;
    int FHostIndex = 0;
    TPanelStyle FSavedStyle = psText;
    bool FActive = false;
};
