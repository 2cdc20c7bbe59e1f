#include "selftest/self_test_sequence.h"

#include <algorithm>

#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "support/clock.h"

namespace lumora_usb_encoder::selftest {

void SelfTestPort::waitForKeys(uint32_t ms) {
    Sleep(ms);
}

std::optional<SelfTestStart> GetDeviceStatusMessage() {
    auto status = readDeviceStatus();
    if (!status) {
        return std::nullopt;
    }
    SelfTestStart start;
    start.ledBrightness_index = status->ledBrightness;
    start.ledColour_index = status->ledColour;
    start.options_fitted = status->options;
    start.buzzerPeriod_index = status->buzzerPeriod;
    start.keypadType_index = status->keypadType;
    start.codeTable = status->codeTable;
    start.firmwareVersion = status->firmwareVersion;
    return start;
}

std::string ledColourName(uint8_t colour) {
    static constexpr const char* ledColour[] = {"WHITE", "GREEN", "RED"};
    return colour < std::size(ledColour) ? ledColour[colour] : std::to_string(colour);
}

bool SelfTestOutcome::failed() const {
    return std::find(stages.begin(), stages.end(), StageResult::Failed) != stages.end();
}

bool restoreAfterSelfTest(const SelfTestStart& start, UserInterface& ui) {
    bool typeTaken = sendByte(Command::KeypadType, start.keypadType_index) == 0;
    bool periodTaken = sendByte(Command::BuzzerPeriod, start.buzzerPeriod_index) == 0;
    if (!periodTaken) {
        ui.warn(kBuzzerPeriodFailed, kCaptionEncoder);
    }
    bool brightnessTaken = sendByte(Command::LedBrightness, start.ledBrightness_index) == 0;
    return typeTaken && periodTaken && brightnessTaken;
}

}  // namespace lumora_usb_encoder::selftest
