#include "device/report_framing.h"

#include <array>
#include <cstring>
#include <mutex>

#include "device/device_connection.h"

namespace lumora_usb_encoder {

namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kRefusal = 0x0F;
constexpr uint8_t kSizeByte = 0x40;
constexpr int kFrameStart = 2;
constexpr uint32_t kMaxReplyLength = 55;  // N counts the status byte; BCC at report byte 63
// More than any keypad leaves waiting; a device that keeps sending cannot hold an exchange.
constexpr int kMaxStaleReports = 64;

// Reports already waiting when a command goes out (a reply that came after its exchange gave
// up, the answer to another program's stray report) are no reply to this command: they are read
// and dropped, and a trace shows each as a report read before the command's own.
void dropWaitingReports(hid_device* handle) {
    std::array<uint8_t, kReportSize> stale{};
    for (int i = 0; i < kMaxStaleReports && handle->read(stale.data(), stale.size()) > 0; ++i) {
    }
}

// Polls until a report other than an acknowledge arrives. Only empty polls count towards the
// time-out, each as one poll interval, so a keypad that keeps acknowledging keeps us waiting.
int32_t awaitReport(hid_device* handle, uint8_t* report, int32_t timeoutMs) {
    int32_t idleMs = 0;
    for (;;) {
        std::memset(report, 0, kReportSize);
        int got = handle->readTimeout(report, kReportSize, kPollIntervalMs);
        if (got == 0) {
            if (timeoutMs != 0) {
                idleMs += kPollIntervalMs;
                if (idleMs >= timeoutMs) {
                    return kResultTimeout;
                }
            }
            continue;
        }
        if (got < 0) {
            return kResultNoDevice;
        }
        if (report[kFrameStart] == kAck) {
            idleMs = 0;
            continue;
        }
        return kResultOk;
    }
}

int32_t checkReport(std::span<const uint8_t, kReportSize> report, std::span<uint8_t> reply,
                    uint32_t* replyLength) {
    if (report[kFrameStart] == kRefusal) {
        return kResultRefused;
    }
    if (report[1] > kSizeByte) {
        return kResultBadSize;
    }
    if (USBEncoderParseReply(report.subspan(kFrameStart), reply, replyLength) != kResultOk) {
        return kResultRefused;
    }
    return kResultOk;
}

int32_t receiveLocked(hid_device* handle, std::span<uint8_t> reply, uint32_t* replyLength,
                      int32_t timeoutMs) {
    std::array<uint8_t, kReportSize> report{};
    int32_t result = awaitReport(handle, report.data(), timeoutMs);
    if (result != kResultOk) {
        return result;
    }
    return checkReport(report, reply, replyLength);
}

}  // namespace

uint8_t NibbleToHexDigit(uint8_t value) {
    uint8_t nibble = value & 0x0F;
    return static_cast<uint8_t>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

uint8_t HexDigitToNibble(uint8_t digit) {
    if (digit >= '0' && digit <= '9') {
        return static_cast<uint8_t>(digit - '0');
    }
    if (digit >= 'A' && digit <= 'F') {
        return static_cast<uint8_t>(digit - 'A' + 10);
    }
    return 0;
}

int32_t USBEncoderParseReply(std::span<const uint8_t> frame, std::span<uint8_t> reply,
                             uint32_t* replyLength) {
    if (frame.size() < 6 || frame[0] != kStx) {
        return kParseFailed;
    }
    uint32_t n = 16u * HexDigitToNibble(frame[3]) + HexDigitToNibble(frame[4]);
    // N = 0 has no status byte, and N above 55 would put ETX and BCC past the report's end.
    if (n == 0 || n > kMaxReplyLength || frame.size() < 7 + n || n - 1 > reply.size()) {
        return kParseFailed;
    }
    if (frame[5] != 0x00) {
        return kParseFailed;
    }
    uint8_t bcc = 0;
    for (size_t i = 0; i <= 5; ++i) {
        bcc ^= frame[i];
    }
    // Copied before the ETX and BCC checks, as the callers have always seen it.
    for (uint32_t i = 0; i < n - 1; ++i) {
        reply[i] = frame[6 + i];
        bcc ^= frame[6 + i];
    }
    if (frame[5 + n] != kEtx) {
        return kParseFailed;
    }
    bcc ^= frame[5 + n];
    if (frame[6 + n] != bcc) {
        return kParseFailed;
    }
    *replyLength = n - 1;
    return kResultOk;
}

int32_t USBEncoderSendAndReceive_a(hid_device* handle, uint8_t command,
                                   std::span<const uint8_t> payload, std::span<uint8_t> reply,
                                   uint32_t* replyLength, int32_t timeoutMs) {
    std::lock_guard lock(exchangeMutex());
    if (handle == nullptr) {
        return kResultNoDevice;
    }
    if (payload.size() > static_cast<size_t>(kMaxPayload)) {
        return kResultRefused;
    }
    std::array<uint8_t, kReportSize> report{};
    report[0] = kReportId;
    report[1] = kSizeByte;
    report[2] = kStx;
    report[3] = NibbleToHexDigit(static_cast<uint8_t>(command >> 4));
    report[4] = NibbleToHexDigit(command);
    auto length = static_cast<uint8_t>(payload.size());
    report[5] = NibbleToHexDigit(static_cast<uint8_t>(length >> 4));
    report[6] = NibbleToHexDigit(length);
    uint8_t bcc = report[2] ^ report[3] ^ report[4] ^ report[5] ^ report[6];
    for (size_t i = 0; i < payload.size(); ++i) {
        report[7 + i] = payload[i];
        bcc ^= payload[i];
    }
    report[7 + length] = kEtx;
    bcc ^= kEtx;
    report[8 + length] = bcc;

    dropWaitingReports(handle);
    if (handle->write(report.data(), kReportSize) < 0) {
        return kResultNoDevice;
    }
    return receiveLocked(handle, reply, replyLength, timeoutMs);
}

int32_t USBEncoderReceive_a(hid_device* handle, uint8_t command, std::span<uint8_t> reply,
                            uint32_t* replyLength, int32_t timeoutMs) {
    (void)command;  // any reply frame is taken: the keypad sends only what was asked for
    std::lock_guard lock(exchangeMutex());
    if (handle == nullptr) {
        return kResultNoDevice;
    }
    return receiveLocked(handle, reply, replyLength, timeoutMs);
}

}  // namespace lumora_usb_encoder
