#include <QApplication>
#include <QStatusBar>

#include "device/device_connection.h"
#include "device/device_watcher.h"
#include "gui/main/form1.h"
#include "settings/keypad_jobs.h"

namespace lumora_usb_encoder {

void Form1::followKeypad() {
    watcher_ = std::make_unique<DeviceWatcher>();
    // The watcher calls from its own thread; the change is handled on the window's.
    (void)watcher_->start(
        [this](hid::BusEvent event, const std::string&) {
            bool arrived = event == hid::BusEvent::Arrival;
            QMetaObject::invokeMethod(
                this, [this, arrived] { keypadChanged(arrived); }, Qt::QueuedConnection);
        },
        kKeypadVendorId, kKeypadProductId);
}

// A command's wait, a message box or another window's sequence is using the keypad: that job
// sees the change itself, and a rescan now would cut it short.
bool Form1::keypadHeldElsewhere() const {
    if (QApplication::activeModalWidget() != nullptr || QApplication::overrideCursor() != nullptr) {
        return true;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        bool sequenceWindow =
            window->objectName() == "self_test" || window->objectName() == "firmware_upgrade";
        if (sequenceWindow && window->isVisible()) {
            return true;
        }
    }
    return false;
}

void Form1::keypadChanged(bool arrived) {
    if (keypadHeldElsewhere()) {
        return;
    }
    bool present = !hid::backend().enumerate(kKeypadVendorId, kKeypadProductId).empty();
    if (!arrived && connected_ && !present) {
        closeKeypad();
        showDisconnectedView();
        statusStrip1->showMessage("Keypad removed");
    } else if (arrived && !connected_ && present) {
        SilentUserInterface quiet;
        showKeypadState(openAndReadStatus(quiet, fields_, false));
        if (connected_) {
            statusStrip1->showMessage("Keypad connected");
        }
    }
}

}  // namespace lumora_usb_encoder
