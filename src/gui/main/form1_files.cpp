#include <QStatusBar>

#include "gui/main/about_window.h"
#include "gui/main/form1.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"
#include "settings/config_files.h"
#include "settings/keypad_jobs.h"

namespace lumora_usb_encoder {

void Form1::button3_Click() {
    RestoreOutcome outcome = restoreFromSettingsFile(*ui_, fields_, FileName_);
    if (reselectsKeypadType(outcome.load)) {
        selectListEntry(keypadTypeCbox, acceptedIndex(fields_, SettingsList::KeypadType));
    }
    showKeypadState(outcome.statusRead);
    if (outcome.load == LoadResult::Sent) {
        sayDone("Settings restored from " + FileName_);
    }
}

// Import: the window reads the keypad again, so its lists show what the file put there.
void Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem_Click() {
    BusyScope busy(*ui_);
    ImportOutcome outcome = importConfigFile(*ui_, FileName_);
    if (outcome.result == ImportResult::Cancelled) {
        return;
    }
    if (outcome.load != LoadResult::NotSaved) {
        showKeypadState(lumora_usb_encoder::GetDeviceStatusMessage(fields_) == 0);
    }
    if (reselectsKeypadType(outcome.load)) {
        selectListEntry(keypadTypeCbox, acceptedIndex(fields_, SettingsList::KeypadType));
    }
    if (outcome.result == ImportResult::Imported) {
        sayDone("Imported " + outcome.file);
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
