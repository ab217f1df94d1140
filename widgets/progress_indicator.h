// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress control that TPrgStatusBar embeds: a horizontal QProgressBar with a step and the
// range rules of a native progress control.

#include <QProgressBar>

// Until it is first shown the control only holds its range, position and step as plain values,
// and advancing it does nothing; the first show applies them. From then on the position is kept
// inside the range, and advancing past either end stops at that end.
class TProgressIndicator : public QProgressBar {
    Q_OBJECT
public:
    static constexpr int kDefaultStep = 10;

    explicit TProgressIndicator(QWidget* parent = nullptr);

    int minimumValue() const { return FMin; }
    int maximumValue() const { return FMax; }
    int position() const { return FPosition; }
    int step() const { return FStep; }

    // Sets both bounds; throws EInvalidOperation("Propriété <class name> hors limites") and
    // changes nothing when max < min. Once shown, lowering the minimum moves the position to it.
    void setBounds(int min, int max);
    void setPosition(int position);
    void setStep(int step) { FStep = step; }
    void stepIt() { stepBy(FStep); }
    void stepBy(int amount);

    bool hasBeenShown() const { return FShown; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void apply();

    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = kDefaultStep;
    bool FShown = false;
};
