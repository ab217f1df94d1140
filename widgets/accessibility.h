// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The accessibility of the program's own widgets: their interfaces' factories, and their events.
// Events are built only while an assistive technology is active, so that nobody else pays for
// them; tests put a recorder in Qt's place.

#include <QAccessible>

// Registers with Qt, once however often it is called, the interfaces of the program's own widgets
// (TextView, TPanelStatusBar and what derives from them) and of its main window, a frame. Each of
// these widgets calls it when built, and so does the main window.
void InstallAccessibleInterfaces();

using AccessibilityRecorder = void (*)(QAccessibleEvent* event);

// Whether events are wanted: an assistive technology is active, or a recorder is set.
bool AccessibilityActive();
// Hands event to the recorder when one is set, otherwise to Qt.
void SendAccessibilityEvent(QAccessibleEvent& event);
// Every event goes to recorder instead of Qt; nullptr gives them back to Qt.
void SetAccessibilityRecorder(AccessibilityRecorder recorder);
