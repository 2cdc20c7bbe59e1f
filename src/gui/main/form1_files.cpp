#include <QStatusBar>

#include "device/keypad_service.h"
#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/qt_user_interface.h"
#include "settings/config_files.h"
#include "settings/keypad_jobs.h"

namespace lumora_usb_encoder {

// The lists show the keypad as read after the file's settings went to it (keypadStateChanged).
void Form1::button3_Click() {
    KeypadHold hold = job(KeypadJob::Restore);
    if (!hold) {
        return;
    }
    RestoreOutcome outcome = restoreFromSettingsFile(hold.ui(), fields_, FileName_);
    hold.keypadAnswered(outcome.statusRead);
    if (outcome.load == LoadResult::Sent) {
        hold.say("Settings restored from " + FileName_);
    }
}

// Import: the window reads the keypad again, so its lists show what the file put there.
void Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem_Click() {
    KeypadHold hold = job(KeypadJob::Import);
    if (!hold) {
        return;
    }
    BusyScope busy(hold.ui());
    ImportOutcome outcome = importConfigFile(hold.ui(), FileName_);
    if (outcome.result == ImportResult::Cancelled) {
        return;
    }
    if (outcome.load != LoadResult::NotSaved) {
        hold.keypadAnswered(lumora_usb_encoder::GetDeviceStatusMessage(fields_) == 0);
    }
    if (outcome.result == ImportResult::Imported) {
        hold.say("Imported " + outcome.file);
    }
}

void Form1::exitToolStripMenuItem_Click() {
    std::string target;
    if (exportConfigFile(*ui_, FileName_, &target) == ExportResult::Exported) {
        sayDone("Exported to " + target);
    }
}

void Form1::sayDone(const std::string& text) {
    statusStrip1->showMessage(QString::fromStdString(text));
}

void Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1_Click() {
    auto* window = new about;
    window->move(pos());
    window->show();
}

}  // namespace lumora_usb_encoder
