// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/show_state.h"

#include "app/screen_fit.h"

#include <QWidget>

void ShowMainWindow(QWidget& window, TShowState state) {
    switch (state) {
    case TShowState::Maximized:
        window.showMaximized();
        break;
    case TShowState::MinimizedNoActivate:
        // Only the taskbar entry is seen: minimised, and not given the focus.
        window.setAttribute(Qt::WA_ShowWithoutActivating);
        window.showMinimized();
        break;
    case TShowState::Normal:
        KeepOnScreen(window);
        window.show();
        break;
    }
}
