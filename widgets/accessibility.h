#pragma once
// Accessibility events of the program's own widgets. They are built only while an assistive
// technology is active, so that nobody else pays for them; tests put a recorder in Qt's place.

class QAccessibleEvent;

using AccessibilityRecorder = void (*)(QAccessibleEvent* event);

// Whether events are wanted: an assistive technology is active, or a recorder is set.
bool AccessibilityActive();
// Hands event to the recorder when one is set, otherwise to Qt.
void SendAccessibilityEvent(QAccessibleEvent& event);
// Every event goes to recorder instead of Qt; nullptr gives them back to Qt.
void SetAccessibilityRecorder(AccessibilityRecorder recorder);
