#include "gui/accessible_window.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>
#include <mutex>

namespace lumora_usb_encoder {

namespace {

constexpr const char* kDialogProperty = "quillonAccessibleDialog";

QAccessibleInterface* dialogInterface(const QString& key, QObject* object) {
    (void)key;
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || !widget->isWindow() || !widget->property(kDialogProperty).toBool()) {
        return nullptr;  // the next factory, or Qt's own, answers
    }
    return new QAccessibleWidget(widget, QAccessible::Dialog);
}

}  // namespace

void exposeAsDialog(QWidget* window) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(dialogInterface); });
    window->setProperty(kDialogProperty, true);
}

}  // namespace lumora_usb_encoder
