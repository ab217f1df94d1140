// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps a top-level window wholly on its screen, frame included: on a scaled or small screen the
// window's fixed place and size may reach past the screen's edges.

class QWidget;

// Moves window, and sizes it down when it is larger (below its minimum size if need be), so that
// its frame lies within the available area of the screen that holds it. A window manager frames a
// window only once it is shown: the window is fitted again, once, when its frame becomes known.
void KeepOnScreen(QWidget& window);
