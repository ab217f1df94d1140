#include "widgets/accessibility.h"

#include <QAccessible>

namespace {

AccessibilityRecorder gRecorder = nullptr;

} // namespace

bool AccessibilityActive() {
    return gRecorder || QAccessible::isActive();
}

void SendAccessibilityEvent(QAccessibleEvent& event) {
    if (gRecorder)
        gRecorder(&event);
    else
        QAccessible::updateAccessibility(&event);
}

void SetAccessibilityRecorder(AccessibilityRecorder recorder) {
    gRecorder = recorder;
}
