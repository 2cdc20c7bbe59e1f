#include "device/status_record.h"

#include <algorithm>

#include "device/keypad_commands.h"

namespace lumora_usb_encoder {

namespace {
constexpr size_t kTableOffset = 6;
}

size_t codeTableLength(uint8_t keypadType) {
    if (keypadType <= 2) {
        return 20;
    }
    if (keypadType <= 5) {
        return 24;
    }
    return 32;
}

bool isCustomTableType(uint8_t keypadType) {
    return keypadType == 2 || keypadType == 5 || keypadType == 8;
}

std::optional<DeviceStatus> decodeStatusRecord(const uint8_t* data, size_t length) {
    if (data == nullptr || length < kTableOffset) {
        return std::nullopt;
    }
    DeviceStatus status;
    status.ledBrightness = data[0];
    status.ledColour = data[1];
    status.buzzer = data[2];
    status.options = data[3];
    status.buzzerPeriod = data[4];
    status.keypadType = data[5];
    size_t tableLength = codeTableLength(status.keypadType);
    size_t versionStart = kTableOffset + tableLength;
    if (length < versionStart) {
        return std::nullopt;
    }
    status.codeTable.assign(data + kTableOffset, data + versionStart);
    const uint8_t* end = data + length;
    const uint8_t* zero = std::find(data + versionStart, end, uint8_t{0});
    if (zero == end) {
        return std::nullopt;
    }
    status.firmwareVersion.assign(data + versionStart, zero);
    if (static_cast<size_t>(end - (zero + 1)) < kSerialNumberLength) {
        return std::nullopt;
    }
    status.serialNumber.assign(zero + 1, zero + 1 + kSerialNumberLength);
    return status;
}

std::optional<DeviceStatus> readDeviceStatus() {
    Reply reply;
    if (sendCommand(Command::Status, {}, &reply) != kResultOk) {
        return std::nullopt;
    }
    return decodeStatusRecord(reply.data.data(), reply.length);
}

}  // namespace lumora_usb_encoder
