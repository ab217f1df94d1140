// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/progress_indicator.h"

#include "text/errors.h"

#include <algorithm>

TProgressIndicator::TProgressIndicator(QWidget* parent) : QProgressBar(parent) {
    setOrientation(Qt::Horizontal);
    setTextVisible(false);
    setRange(FMin, FMax);
    setValue(FPosition);
}

void TProgressIndicator::setBounds(int min, int max) {
    if (max < min)
        throw EInvalidOperation(std::string("Propriété ") + metaObject()->className() +
                                " hors limites");
    const bool lowered = min < FMin;
    FMin = min;
    FMax = max;
    if (!FShown)
        return;
    if (lowered)
        FPosition = FMin;
    apply();
}

void TProgressIndicator::setPosition(int position) {
    FPosition = position;
    if (FShown)
        apply();
}

void TProgressIndicator::stepBy(int amount) {
    if (!FShown)
        return;
    // 64-bit sum: a large step near INT_MAX stops at the maximum instead of wrapping.
    const long long target = static_cast<long long>(FPosition) + amount;
    FPosition = static_cast<int>(std::clamp<long long>(target, FMin, FMax));
    apply();
}

void TProgressIndicator::showEvent(QShowEvent* event) {
    if (!FShown) {
        FShown = true;
        apply();
    }
    QProgressBar::showEvent(event);
}

void TProgressIndicator::apply() {
    FPosition = std::clamp(FPosition, FMin, FMax);
    setRange(FMin, FMax);
    setValue(FPosition);
}
