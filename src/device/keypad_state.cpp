#include "device/keypad_state.h"

namespace lumora_usb_encoder {

const char* jobRunningText(KeypadJob job) {
    switch (job) {
        case KeypadJob::Scan:
            return "Looking for the keypad";
        case KeypadJob::StatusRead:
            return "Reading the keypad";
        case KeypadJob::Setting:
            return "Sending a setting";
        case KeypadJob::Save:
            return "Saving the settings";
        case KeypadJob::FactoryReset:
            return "Factory reset in progress";
        case KeypadJob::Restore:
            return "Restoring the settings";
        case KeypadJob::Import:
            return "Importing the settings";
        case KeypadJob::EditorApply:
            return "Applying the code table";
        case KeypadJob::SelfTest:
            return "Self test running";
        case KeypadJob::FirmwareUpgrade:
            break;
    }
    return "Firmware upgrade in progress";
}

const char* presenceText(KeypadPresence presence) {
    switch (presence) {
        case KeypadPresence::Connected:
            return "Keypad connected";
        case KeypadPresence::Removed:
            return "Keypad removed";
        case KeypadPresence::InLoader:
            break;
    }
    return "Keypad in firmware upgrade mode";
}

}  // namespace lumora_usb_encoder
