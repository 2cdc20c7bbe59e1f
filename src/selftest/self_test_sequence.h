#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "selftest/self_test_port.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder::selftest {

// What the self test reads at its start and puts back at its end.
struct SelfTestStart {
    uint8_t ledBrightness_index = 0;
    uint8_t ledColour_index = 0;
    uint8_t options_fitted = 0;
    uint8_t buzzerPeriod_index = 0;  // the byte as read: it goes back unchanged
    uint8_t keypadType_index = 0;
    std::vector<uint8_t> codeTable;  // the table in use at the start, as the status gives it
    std::string firmwareVersion;
};

// The status read at the start; nullopt when the keypad does not answer.
std::optional<SelfTestStart> GetDeviceStatusMessage();

inline constexpr const char* kStatusErrorMessage = "Device status message error..";
inline constexpr const char* kKeyTestNotice = "Press each key  on Quillon™... ";
inline constexpr const char* kKeyTestCaption = "Quillon™ Keypad";
inline constexpr const char* kBuzzerPeriodFailed = "Unable to set Buzzer Period..";

// The LED colour's name; a colour without one shows its number.
std::string ledColourName(uint8_t colour);

enum class StageResult { NotRun, Passed, Failed, Closed };

struct SelfTestOptions {
    std::array<bool, kStageCount> stages{true, true, true, true};
    // How long the key test listens; 0: until the close flag is set.
    uint32_t keysTimeMs = 0;
};

struct SelfTestOutcome {
    std::array<StageResult, kStageCount> stages{};
    bool failed() const;
};

// Stages 2 to 5 of the self test: LED flash, brightness steps, buzzer, key test. Looks at
// `closeForm` after each command and every 100 ms of the key test; every wait is on the project
// clock. A failed command ends the run silently; the caller then runs the restore.
SelfTestOutcome runSelfTest(const SelfTestStart& start, const SelfTestOptions& options,
                            SelfTestPort& port, const std::atomic<bool>& closeForm);

// Puts back keypad type, buzzer period and LED brightness as read at the start. Only the
// buzzer period's failure is told. True when all three were taken.
bool restoreAfterSelfTest(const SelfTestStart& start, UserInterface& ui);

}  // namespace lumora_usb_encoder::selftest
