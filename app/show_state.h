// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the main window is first shown. Linux hands a process no start-up show state, so the window
// shows normally; the other two ways stay here, chosen by the one value given.

class QWidget;

enum class TShowState { Normal, Maximized, MinimizedNoActivate };

// No state is handed to a process on this platform.
inline constexpr TShowState kStartShowState = TShowState::Normal;

void ShowMainWindow(QWidget& window, TShowState state);
