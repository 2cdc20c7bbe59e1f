#include "gui/main/about_window.h"
#include "settings/config_files.h"
#include "gui/main/form1.h"
#include "settings/keypad_jobs.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"

namespace lumora_usb_encoder {

void Form1::button3_Click() {
    RestoreOutcome outcome = restoreFromSettingsFile(*ui_, fields_, FileName_);
    if (reselectsKeypadType(outcome.load)) {
        selectListEntry(keypadTypeCbox, fields_.prev_keypadType_index);
    }
    showKeypadState(outcome.statusRead);
}

// Import: the keypad gets the file's settings, but the window shows them only after its next
// status read.
void Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem_Click() {
    BusyScope busy(*ui_);
    ImportOutcome outcome = importConfigFile(*ui_, FileName_);
    if (reselectsKeypadType(outcome.load)) {
        selectListEntry(keypadTypeCbox, fields_.prev_keypadType_index);
    }
}

void Form1::exitToolStripMenuItem_Click() {
    (void)exportConfigFile(*ui_, FileName_);
}

void Form1::aboutVorlaUSBEncoderConfiguratorToolStripMenuItem1_Click() {
    auto* window = new about;
    window->move(pos());
    window->show();
}

}  // namespace lumora_usb_encoder
