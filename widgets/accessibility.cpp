// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/accessibility.h"

#include "widgets/panel_status_bar.h"
#include "widgets/panel_status_bar_accessible.h"
#include "widgets/text_view.h"
#include "widgets/text_view_accessible.h"

#include <QAccessibleWidget>

namespace {

AccessibilityRecorder gRecorder = nullptr;

// The interfaces of the program's widgets. Qt asks with the class name of the object and then of
// each of its base classes in turn.
QAccessibleInterface* ProgramFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("TextView"))
        return new TextViewAccessible(static_cast<TextView*>(widget));
    if (className == QLatin1String("TPanelStatusBar"))
        return new PanelStatusBarAccessible(static_cast<TPanelStatusBar*>(widget));
    // A window of a class of our own made straight from QWidget (the main window) is a frame;
    // Qt's classes, dialogs and menus among them, have interfaces of their own.
    if (className == QLatin1String("QWidget") && widget->isWindow() &&
        object->metaObject()->superClass() == &QWidget::staticMetaObject)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallAccessibleInterfaces() {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(ProgramFactory);
        return true;
    }();
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
