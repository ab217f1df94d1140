// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/panel_status_bar.h"

#include "text/errors.h"
#include "widgets/accessibility.h"

#include <QMetaMethod>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <utility>

namespace {

// Room between a panel's edge and its text.
constexpr int kTextIndent = 2;

} // namespace

TPanelStatusBar::TPanelStatusBar(QWidget* parent) : QWidget(parent) {
    InstallAccessibleInterfaces();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

const TPanelStatusBar::TPanel& TPanelStatusBar::panel(int index) const {
    if (index < 0 || index >= panelCount())
        throw EStringListError(index);
    return FPanels[static_cast<size_t>(index)];
}

TPanelStatusBar::TPanel& TPanelStatusBar::panel(int index) {
    return const_cast<TPanel&>(std::as_const(*this).panel(index));
}

void TPanelStatusBar::addPanel(int width) {
    FPanels.push_back(TPanel{width, QString(), psText});
    updateGeometry();
    update();
}

void TPanelStatusBar::clearPanels() {
    FPanels.clear();
    updateGeometry();
    update();
}

int TPanelStatusBar::panelWidth(int index) const {
    return panel(index).width;
}

void TPanelStatusBar::setPanelWidth(int index, int width) {
    if (panel(index).width == width)
        return;
    panel(index).width = width;
    updateGeometry();
    update();
}

QString TPanelStatusBar::panelText(int index) const {
    return panel(index).text;
}

void TPanelStatusBar::setPanelText(int index, const QString& text) {
    TPanel& target = panel(index);
    if (target.text == text)
        return;
    target.text = text;
    update(panelRect(index));
}

TPanelStyle TPanelStatusBar::panelStyle(int index) const {
    return panel(index).style;
}

void TPanelStatusBar::setPanelStyle(int index, TPanelStyle style) {
    TPanel& target = panel(index);
    if (target.style == style)
        return;
    target.style = style;
    update(panelRect(index));
}

QRect TPanelStatusBar::panelRect(int index) const {
    const int width = panel(index).width;
    int start = 0;
    for (int i = 0; i < index; ++i)
        start += FPanels[static_cast<size_t>(i)].width;
    const int left = index > 0 ? start + kPanelGap : start;
    int right = start + width;
    if (index == panelCount() - 1)
        right = std::max(right, this->width());
    return QRect(QPoint(left, kTopBorder), QPoint(right - 1, height() - 1));
}

QSize TPanelStatusBar::sizeHint() const {
    int total = 0;
    for (const TPanel& p : FPanels)
        total += p.width;
    return QSize(total, minimumSizeHint().height());
}

QSize TPanelStatusBar::minimumSizeHint() const {
    // One line of text, the top border and a pixel of frame above and below it.
    return QSize(0, fontMetrics().height() + kTopBorder + 2);
}

void TPanelStatusBar::DrawPanel(QPainter& painter, int index, const QRect& rect) {
    if (isSignalConnected(QMetaMethod::fromSignal(&TPanelStatusBar::drawPanel)))
        emit drawPanel(&painter, index, rect);
    else
        painter.fillRect(rect, palette().color(QPalette::Button));
}

void TPanelStatusBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    for (int i = 0; i < panelCount(); ++i) {
        const QRect rect = panelRect(i);
        if (!event->region().intersects(rect))
            continue;
        option.rect = rect;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &option, &painter, this);
        if (FPanels[static_cast<size_t>(i)].style == psOwnerDraw) {
            painter.save();
            DrawPanel(painter, i, rect);
            painter.restore();
        } else {
            drawPanelText(painter, FPanels[static_cast<size_t>(i)], rect);
        }
    }
}

void TPanelStatusBar::drawPanelText(QPainter& painter, const TPanel& panel,
                                    const QRect& rect) const {
    const QRect textRect = rect.adjusted(kTextIndent, 0, -kTextIndent, 0);
    const QString shown = fontMetrics().elidedText(panel.text, Qt::ElideRight, textRect.width());
    style()->drawItemText(&painter, textRect, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), shown, QPalette::WindowText);
}
