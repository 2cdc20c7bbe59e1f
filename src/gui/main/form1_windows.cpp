#include <QPushButton>

#include "device/keypad_service.h"
#include "gui/editors/code_table_editor_launch.h"
#include "gui/main/form1.h"
#include "gui/qt_user_interface.h"
#include "gui/selftest/self_test.h"
#include "gui/upgrade/firmware_upgrade.h"
#include "upgrade/ram_loader_check.h"
#include "upgrade/upgrade_capture.h"
#include "upgrade/upgrade_mode.h"

namespace lumora_usb_encoder {

void Form1::button1_Click() {
    {
        KeypadHold hold = job(KeypadJob::StatusRead);
        if (!hold) {
            return;
        }
        if (GetDeviceStatusMessage() != 0) {
            hold.ui().warn("Load Table-Unable to get device status..", kCaptionQuillon);
            return;
        }
    }
    (void)openCodeTableEditor(fields_, this, *ui_, service_);
}

void Form1::button2_Click() {
    auto* window = new self_test(service_);
    window->move(pos());
    window->show();
    window->activateWindow();  // the keys the test asks for must reach it, not this window
}

// Reached by mouse, keyboard and screen reader alike: the upgrade must not be out of reach for
// anyone who cannot use a mouse.
void Form1::btnLoadFirmware_MouseClick() {
    // A keypad sent to its loader with no RAM loader to go on with would be stuck there.
    std::string problem;
    if (!ramLoaderAtHand("", problem)) {
        QString text = QString::fromStdString(problem).replace("\r\n", "\n").trimmed();
        ui_->warn(text.toStdString(), kCaptionQuillon);
        return;
    }
    std::string backup = FileName_.empty() ? "" : upgradeBackupPath(FileName_);
    {
        KeypadHold hold = job(KeypadJob::FirmwareUpgrade);
        if (!hold) {
            return;
        }
        auto result = requestFirmwareUpgrade(hold.ui(), fields_, upgradeCapture(), backup);
        if (result == UpgradeModeResult::Declined || result == UpgradeModeResult::BackupFailed) {
            return;
        }
        if (result == UpgradeModeResult::CommandFailed) {
            EnableDisableFunctionButtons(false);
        }
    }
    // Modeless and on its own: what becomes of the keypad reaches this window from the service.
    auto* window = new firmware_upgrade(service_, FileName_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->selectProduct(1);
    window->show();
}

}  // namespace lumora_usb_encoder
