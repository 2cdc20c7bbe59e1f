#include "device/keypad_commands.h"

#include <mutex>

#include "device/device_connection.h"

namespace lumora_usb_encoder {

int32_t sendCommand(Command command, std::span<const uint8_t> payload, Reply* reply) {
    Reply scratch;
    Reply& target = reply != nullptr ? *reply : scratch;
    std::lock_guard lock(exchangeMutex());
    return USBEncoderSendAndReceive_a(hid_handle, static_cast<uint8_t>(command), payload,
                                      target.data, &target.length, kCommandTimeoutMs);
}

int32_t sendByte(Command command, uint8_t value) {
    const uint8_t payload[1] = {value};
    return sendCommand(command, payload);
}

int32_t receiveFrame(Command command, Reply& reply, int32_t timeoutMs) {
    std::lock_guard lock(exchangeMutex());
    return USBEncoderReceive_a(hid_handle, static_cast<uint8_t>(command), reply.data, &reply.length,
                               timeoutMs);
}

}  // namespace lumora_usb_encoder
