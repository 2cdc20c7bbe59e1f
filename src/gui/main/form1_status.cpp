#include <QCloseEvent>
#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>

#include "device/keypad_service.h"
#include "gui/main/form1.h"
#include "gui/main/list_caption.h"
#include "gui/qt_user_interface.h"
#include "settings/enable_rule.h"
#include "settings/keypad_jobs.h"
#include "settings/settings_file.h"
#include "upgrade/pending_offer.h"

namespace lumora_usb_encoder {

void Form1::Form1_Load() {
    // A settings file that cannot be made shows later, when something is written to it.
    (void)ensureSettingsFile(FileName_);
    followKeypad();
    scan(true);
}

KeypadHold Form1::job(KeypadJob job) {
    return service_->hold(job, *ui_);
}

// The view follows from what the job tells the service (keypadStateChanged).
void Form1::scan(bool clearOptions) {
    KeypadHold hold = job(KeypadJob::Scan);
    if (!hold) {
        return;
    }
    bool statusRead = openAndReadStatus(hold.ui(), fields_, clearOptions);
    // An upgrade cut short left settings to write back; the keypad is read again after.
    if (statusRead && offerPendingRestore(hold.ui(), FileName_) != PendingOffer::None) {
        statusRead = lumora_usb_encoder::GetDeviceStatusMessage(fields_) == 0;
    }
    hold.keypadAnswered(statusRead);
    if (statusRead) {
        hold.say(presenceText(KeypadPresence::Connected));
    }
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
    scan(false);
}

void Form1::button10_Click() {
    leaveProgram();
}

void Form1::exitToolStripMenuItem1_Click() {
    leaveProgram();
}

// The program ends only once the service has closed the keypad; until then the window stays.
void Form1::closeEvent(QCloseEvent* event) {
    event->ignore();
    leaveProgram();
}

void Form1::leaveProgram() {
    (void)service_->leave(*ui_, [this] { quit_(); });
}

}  // namespace lumora_usb_encoder
