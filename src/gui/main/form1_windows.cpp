#include <QPushButton>

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
    if (GetDeviceStatusMessage() != 0) {
        ui_->warn("Load Table-Unable to get device status..", kCaptionQuillon);
        return;
    }
    (void)openCodeTableEditor(fields_, this, *ui_);
}

void Form1::button2_Click() {
    auto* window = new self_test;
    window->move(pos());
    window->show();
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
    auto result = requestFirmwareUpgrade(*ui_, fields_, upgradeCapture(), backup);
    if (result == UpgradeModeResult::Declined || result == UpgradeModeResult::BackupFailed) {
        return;
    }
    if (result == UpgradeModeResult::CommandFailed) {
        EnableDisableFunctionButtons(false);
    }
    // Modeless and on its own: the main window goes on and is not told when it closes.
    auto* window = new firmware_upgrade(FileName_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->selectProduct(1);
    window->show();
}

}  // namespace lumora_usb_encoder
