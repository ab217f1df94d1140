// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/splitter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace {

// The line that marks the new border while dragging: the bar's size, hatched.
class HatchedLine : public QWidget {
public:
    explicit HatchedLine(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QBrush(palette().color(QPalette::WindowText), Qt::Dense4Pattern));
    }
};

} // namespace

TSplitter::TSplitter(QWidget* left, QWidget* parent) : QWidget(parent), FLeft(left) {
    setFixedWidth(kBarWidth);
    setCursor(Qt::SplitHCursor);
    setFocusPolicy(Qt::NoFocus);
    if (parent)
        parent->installEventFilter(this);
}

int TSplitter::widthForPosition(int x) const {
    if (x <= kSnap)
        return 0;
    const int room = parentWidget() ? parentWidget()->width() - kBarWidth - kSnap : x;
    return std::max(0, std::min(x, room));
}

bool TSplitter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        keepRoomOnTheRight();
    return QWidget::eventFilter(watched, event);
}

void TSplitter::keepRoomOnTheRight() {
    const int room = parentWidget()->width() - kBarWidth - kSnap;
    if (FLeft && FLeft->width() > room)
        FLeft->setFixedWidth(widthForPosition(room));
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragging())
        return;
    FGrabOffset = event->position().toPoint().x();
    FNewWidth = FLeft ? FLeft->width() : x();
    FLine = new HatchedLine(parentWidget());
    FLine->setGeometry(geometry());
    FLine->show();
    FLine->raise();
    grabKeyboard();
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging())
        return;
    const int left = mapToParent(event->position().toPoint()).x() - FGrabOffset;
    FNewWidth = widthForPosition(left);
    FLine->move(FNewWidth, y());
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging())
        return;
    endDrag();
    if (FLeft && FNewWidth != FLeft->width()) {
        FLeft->setFixedWidth(FNewWidth);
        emit moved(FNewWidth);
    }
}

void TSplitter::keyPressEvent(QKeyEvent* event) {
    if (dragging() && event->key() == Qt::Key_Escape)
        endDrag();
    else
        QWidget::keyPressEvent(event);
}

void TSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

void TSplitter::endDrag() {
    releaseKeyboard();
    delete FLine;
    FLine = nullptr;
}
