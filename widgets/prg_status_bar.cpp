// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/prg_status_bar.h"

#include <QCoreApplication>

TPrgStatusBar::TPrgStatusBar(QWidget* parent)
    : TPanelStatusBar(parent), FIndicator(new TProgressIndicator(this)) {
    addPanel(50);
    hideIndicator();
}

void TPrgStatusBar::hideIndicator() {
    FIndicator->resize(0, 0);
    FIndicator->hide();
}

void TPrgStatusBar::setPgActive(bool active) {
    if (panelCount() == 0)
        return;
    if (active != FActive && FHostIndex >= 0) {
        // The host may be gone if panels were removed meanwhile: then there is nothing to take,
        // and only deactivating still has something to undo.
        if (active && hasHost()) {
            FActive = true;
            FSavedStyle = panelStyle(FHostIndex);
            setPanelStyle(FHostIndex, psOwnerDraw);
            FIndicator->show();
        } else if (!active) {
            FActive = false;
            if (hasHost())
                setPanelStyle(FHostIndex, FSavedStyle);
            hideIndicator();
        }
    }
    update();
    QCoreApplication::processEvents();
}

void TPrgStatusBar::setPgIndex(int index) {
    const bool wasActive = FActive;
    if (wasActive)
        setPgActive(false);
    if (index != FHostIndex) {
        FHostIndex = index;
        if (panelCount() == 0 || index < 0 || index > panelCount() - 1)
            FHostIndex = -1;
    }
    if (FHostIndex >= 0)
        setPgActive(wasActive);
}

void TPrgStatusBar::setPgMax(int max) {
    if (max != pgMax())
        FIndicator->setBounds(pgMin(), max);
}

void TPrgStatusBar::setPgMin(int min) {
    if (min != pgMin())
        FIndicator->setBounds(min, pgMax());
}

void TPrgStatusBar::setPgPosition(int position) {
    if (position == pgPosition())
        return;
    FIndicator->setPosition(position);
    processEventsIfActive();
}

void TPrgStatusBar::setPgStep(int step) {
    if (step != pgStep())
        FIndicator->setStep(step);
}

void TPrgStatusBar::PgStepIt() {
    FIndicator->stepIt();
    processEventsIfActive();
}

void TPrgStatusBar::PgStepBy(int amount) {
    FIndicator->stepBy(amount);
    processEventsIfActive();
}

void TPrgStatusBar::processEventsIfActive() const {
    if (FActive)
        QCoreApplication::processEvents();
}

void TPrgStatusBar::DrawPanel(QPainter& painter, int index, const QRect& rect) {
    TPanelStatusBar::DrawPanel(painter, index, rect);
    if (panelCount() == 0 || index != FHostIndex)
        return;
    // Top, left, width, height, in this order, each a move or resize of its own.
    FIndicator->move(FIndicator->x(), rect.top() + 1);
    FIndicator->move(rect.left() + 1, FIndicator->y());
    FIndicator->resize(rect.width() - 2, FIndicator->height());
    FIndicator->resize(FIndicator->width(), rect.height() - 2);
}
