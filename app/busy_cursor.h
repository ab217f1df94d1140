// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wait cursor over the program's windows while a handler works without going back to the
// event loop (a load, a run), restored when the handler ends, on every path, errors included:
// the error box that may follow has the ordinary cursor.

#include <QApplication>
#include <QCursor>

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
