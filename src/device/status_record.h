#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumora_usb_encoder {

inline constexpr size_t kSerialNumberLength = 12;
inline constexpr size_t kCodeTableCapacity = 32;

// The reply data of the status command.
struct DeviceStatus {
    uint8_t ledBrightness = 0;
    uint8_t ledColour = 0;
    uint8_t buzzer = 0;
    uint8_t options = 0;
    uint8_t buzzerPeriod = 0;
    uint8_t keypadType = 0;
    std::vector<uint8_t> codeTable;  // 20, 24 or 32 bytes, by keypad type
    std::string firmwareVersion;
    std::string serialNumber;  // 12 characters
};

// Table bytes a status record carries for a keypad type: 20 for 0-2, 24 for 3-5, else 32.
size_t codeTableLength(uint8_t keypadType);

// A customised table is selected by these keypad types, one per table size.
bool isCustomTableType(uint8_t keypadType);

// nullopt when the record is too short for its table, version text (with its zero byte) and
// serial number: nothing is ever read past `length`.
[[nodiscard]] std::optional<DeviceStatus> decodeStatusRecord(const uint8_t* data, size_t length);

// Sends the status command and decodes the reply; nullopt when either fails.
[[nodiscard]] std::optional<DeviceStatus> readDeviceStatus();

}  // namespace lumora_usb_encoder
