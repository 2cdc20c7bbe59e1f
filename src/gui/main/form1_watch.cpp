// What the main window shows of the keypad: whatever the keypad service tells, whichever window
// changed it.
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QStatusBar>

#include "device/keypad_service.h"
#include "gui/main/form1.h"
#include "gui/window_worker.h"
#include "upgrade/pending_backup.h"
#include "upgrade/upgrade_capture.h"

namespace lumora_usb_encoder {

void Form1::followKeypad() {
    // The bus tells from its own thread; the change is applied on this window's.
    (void)service_->follow(
        [worker = worker_.get()](std::function<void()> call) { worker->post(std::move(call)); });
}

void Form1::keypadStateChanged(const KeypadState& state) {
    if (state.status) {
        unpackStatus(*state.status, fields_);
    }
    bool connected = state.presence == KeypadPresence::Connected;
    if (state.statusRead || connected != connected_) {
        showKeypadState(connected);
    }
    bool held = state.heldBy.has_value();
    if (held || heldElsewhere_) {
        holdSendingControls(held);
    }
    std::string message = state.message;
    // A keypad that answers holds its own settings: a backup of an upgrade that never touched
    // its flash has nothing left to give.
    if (state.statusRead && connected && !FileName_.empty() &&
        retireUntouchedBackup(upgradeBackupPath(FileName_))) {
        message = kBackupRetiredLine;
    }
    if (message.empty()) {
        statusStrip1->clearMessage();
    } else {
        statusStrip1->showMessage(QString::fromStdString(message));
    }
}

void Form1::holdSendingControls(bool held) {
    heldElsewhere_ = held;
    if (!held) {
        EnableDisableFunctionButtons(connected_);
        button11->setEnabled(true);
        btnLoadFirmware->setEnabled(true);
        aboutVorlaUSBEncoderConfiguratorToolStripMenuItem->setEnabled(true);
        return;
    }
    for (QWidget* control : std::initializer_list<QWidget*>{
             ledBrightnessCbox, ledColourCbox, buzzerCbox, buzzerPeriodCbox, keypadTypeCbox,
             button11, button1, button8, button9, button3, button2, btnLoadFirmware}) {
        control->setEnabled(false);
    }
    aboutVorlaUSBEncoderConfiguratorToolStripMenuItem->setEnabled(false);  // Import sends
}

}  // namespace lumora_usb_encoder
