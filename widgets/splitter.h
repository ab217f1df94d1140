// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A vertical splitter bar that resizes the widget on its left, as a panel's left-aligned splitter
// does: dragging with the left button shows a hatched line at the new border and applies the new
// width on release; Esc during the drag cancels it. A width of kSnap pixels or less collapses the
// left widget to 0; otherwise the width is kept to what leaves kSnap pixels to the right, also when
// the parent is made narrower. The widget on the right must accept being kSnap pixels wide.

#include <QPointer>
#include <QWidget>

class TSplitter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int MinSize READ minSize CONSTANT)
public:
    static constexpr int kSnap = 30;
    static constexpr int kBarWidth = 5;

    // left is the widget whose width the bar sets; both share the bar's parent.
    explicit TSplitter(QWidget* left, QWidget* parent);

    int minSize() const { return kSnap; }
    bool dragging() const { return FLine != nullptr; }
    // The width that a drag ending with the bar's left edge at x (parent coordinates) applies.
    int widthForPosition(int x) const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void moved(int leftWidth);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void endDrag();
    // Narrows the left widget, if need be, to leave kSnap pixels to the right of the bar.
    void keepRoomOnTheRight();

    QPointer<QWidget> FLeft;
    QWidget* FLine = nullptr; // the hatched line shown during a drag
    int FGrabOffset = 0;      // where in the bar the press was
    int FNewWidth = 0;
};
