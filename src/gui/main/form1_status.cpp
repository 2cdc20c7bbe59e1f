#include <QCloseEvent>
#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>

#include "device/device_connection.h"
#include "gui/main/form1.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"
#include "gui/selftest/self_test.h"
#include "settings/enable_rule.h"
#include "settings/keypad_jobs.h"
#include "settings/settings_file.h"
#include "upgrade/pending_backup.h"

namespace lumora_usb_encoder {

void Form1::Form1_Load() {
    // A settings file that cannot be made shows later, when something is written to it.
    (void)ensureSettingsFile(FileName_);
    bool statusRead = openAndReadStatus(*ui_, fields_, true);
    if (statusRead && offerPendingRestore(*ui_, FileName_) != PendingOffer::None) {
        statusRead = lumora_usb_encoder::GetDeviceStatusMessage(fields_) == 0;
    }
    showKeypadState(statusRead);
    followKeypad();
}

int8_t Form1::GetDeviceStatusMessage() {
    BusyScope busy(*ui_);
    return lumora_usb_encoder::GetDeviceStatusMessage(fields_);
}

void Form1::showKeypadState(bool statusRead) {
    connected_ = statusRead;
    if (statusRead) {
        EnableDisableFunctionButtons(true);
        selectAcceptedEntries();
        showConnectedView();
    } else {
        showDisconnectedView();
    }
}

void Form1::selectAcceptedEntries() {
    for (SettingsList list : kSettingsLists) {
        selectListEntry(listFor(list), acceptedIndex(fields_, list));
    }
}

void Form1::EnableDisableFunctionButtons(bool enable) {
    ControlStates states = enableRule(enable, fields_.prev_options_fitted);
    keypadTypeCbox->setEnabled(states.keypadType);
    for (auto* button : {button1, button8, button9, button2, button3}) {
        button->setEnabled(states.functionButtons);
    }
    ledBrightnessCbox->setEnabled(states.ledBrightness);
    ledColourCbox->setEnabled(states.ledColour);
    buzzerCbox->setEnabled(states.buzzer);
    buzzerPeriodCbox->setEnabled(states.buzzerPeriod);
}

void Form1::showStatusLines(const StatusLines& lines) {
    configArray = lines;
    QStringList text;
    for (const auto& line : configArray) {
        text << QString::fromStdString(line);
    }
    richTextBox1->setPlainText(text.join('\n'));
}

void Form1::showConnectedView() {
    showStatusLines(connectedView(fields_));
}

void Form1::showDisconnectedView() {
    showListCaption(keypadTypeCbox, "Keypad - Layout");
    showListCaption(ledBrightnessCbox, "LED Brightness");
    showListCaption(ledColourCbox, "LED Colour");
    showListCaption(buzzerCbox, "Buzzer");
    showListCaption(buzzerPeriodCbox, "Buzzer Period");
    showStatusLines(disconnectedView());
    EnableDisableFunctionButtons(false);
    connected_ = false;
}

void Form1::button11_Click() {
    showKeypadState(openAndReadStatus(*ui_, fields_, false));
}

void Form1::button10_Click() {
    self_test::finishAll();  // a keypad under test gets its settings back before it is let go
    closeKeypad();
    quit_();
}

void Form1::exitToolStripMenuItem1_Click() {
    button10_Click();
}

// The title bar's close ends the program too, leaving the keypad to the system to close.
void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    quit_();
}

}  // namespace lumora_usb_encoder
