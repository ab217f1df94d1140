// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work that takes a while, a load or a run, done on a second thread while the window waits for
// it in an event loop that takes no user input. Meanwhile the window answers the desktop's pings
// (so that it is never taken for dead), repaints when uncovered or resized and shows the wait
// cursor; the keys and clicks given wait, in their order, until the work has ended, and so does a
// close of the window, which then comes after them.

#include <functional>

// Runs work on a worker thread and returns once it has ended; an exception of the work is raised
// again here, on the GUI thread. The work touches no widget. tick, when given, runs on the GUI
// thread every tickMs milliseconds while the work runs (to show its progress).
void RunBusy(const std::function<void()>& work, const std::function<void()>& tick = {},
             int tickMs = 100);
