#include "widgets/accessibility.h"

#include <algorithm>
#include <vector>

namespace {

AccessibilityRecorder gRecorder = nullptr;

} // namespace

void InstallAccessibleFactory(QAccessible::InterfaceFactory factory) {
    static std::vector<QAccessible::InterfaceFactory> installed;
    if (std::find(installed.begin(), installed.end(), factory) != installed.end())
        return;
    installed.push_back(factory);
    QAccessible::installFactory(factory);
}

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
