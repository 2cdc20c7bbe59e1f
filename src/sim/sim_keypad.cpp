#include "sim/sim_keypad.h"

#include <algorithm>

#include "device/report_framing.h"
#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {

constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kRefusal = 0x0F;
constexpr uint32_t kLeaveAfterReplyMs = 20;  // the reply goes out before the keypad restarts
constexpr uint32_t kKeyHoldMs = 50;          // a quick tap, as a person presses a key

// The default and alternate tables every keypad ships with; the default one sends F15 to F24,
// which is what the self test listens for.
std::array<uint8_t, 32> builtInTable(bool alternate) {
    std::array<uint8_t, 32> table{};
    for (uint8_t k = 0; k < 16; ++k) {
        table[2 * k + 1] = alternate ? static_cast<uint8_t>(0x59 + k % 10)   // Keypad1...
                                     : static_cast<uint8_t>(0x6A + k % 10);  // F15...
    }
    return table;
}

struct Frame {
    uint8_t command = 0;
    std::span<const uint8_t> payload;  // within the report written, which outlives the frame
};

// Reads a command frame the way the keypad's firmware would; nullopt for anything malformed.
std::optional<Frame> parseCommand(const uint8_t* data, size_t length) {
    if (length < 9 || data[2] != kStx) {
        return std::nullopt;
    }
    Frame frame;
    frame.command =
        static_cast<uint8_t>(HexDigitToNibble(data[3]) << 4 | HexDigitToNibble(data[4]));
    size_t n = static_cast<size_t>(HexDigitToNibble(data[5]) << 4 | HexDigitToNibble(data[6]));
    if (9 + n > length || data[7 + n] != kEtx) {
        return std::nullopt;
    }
    uint8_t bcc = 0;
    for (size_t i = 2; i <= 7 + n; ++i) {
        bcc ^= data[i];
    }
    if (bcc != data[8 + n]) {
        return std::nullopt;
    }
    frame.payload = std::span(data + 7, n);
    return frame;
}

}  // namespace

SimKeypad::SimKeypad(std::weak_ptr<VirtualBus> bus, KeypadVariant variant,
                     const KeypadMemory& factory)
    : bus_(std::move(bus)),
      variant_(std::move(variant)),
      factory_(factory),
      defaults_(factory),
      current_(factory) {}

void SimKeypad::attached(uint32_t now) {
    (void)now;
    current_ = defaults_;  // a restart comes back with the stored defaults
}

std::vector<uint8_t> SimKeypad::statusRecord() const {
    std::vector<uint8_t> record = {current_.ledBrightness, current_.ledColour,
                                   current_.buzzer,        current_.options,
                                   current_.buzzerPeriod,  current_.keypadType};
    size_t tableLength = codeTableLengthFor(current_.keypadType);
    std::array<uint8_t, 32> table = current_.customTable;
    // Each family's default and alternate tables are built in; its customised one is stored.
    if (current_.keypadType <= 8 && current_.keypadType % 3 != 2) {
        table = builtInTable(current_.keypadType % 3 == 1);
    }
    record.insert(record.end(), table.begin(), table.begin() + static_cast<long>(tableLength));
    record.insert(record.end(), variant_.firmwareVersion.begin(), variant_.firmwareVersion.end());
    record.push_back(0);
    std::string serial = variant_.serialNumber;
    serial.resize(12, ' ');
    record.insert(record.end(), serial.begin(), serial.end());
    return record;
}

size_t SimKeypad::codeTableLengthFor(uint8_t keypadType) {
    return keypadType <= 2 ? 20 : keypadType <= 5 ? 24 : 32;
}

void SimKeypad::queue(const Report& report, uint32_t readyAt) {
    if (auto bus = bus_.lock()) {
        bus->queueReport(this, 1, {readyAt, report});
    }
}

void SimKeypad::reply(const std::vector<uint8_t>& data, uint32_t now) {
    uint32_t readyAt = now + faults.replyDelayMs;
    for (int i = 0; i < faults.acknowledgeReports; ++i) {
        Report ack(64);
        ack[0] = kReportId;
        ack[1] = 0x40;
        ack[2] = kAck;
        queue(ack, readyAt);
    }
    Report report(64);
    report[0] = kReportId;
    report[1] = faults.badSizeByte ? 0x41 : 0x40;
    if (faults.refuse) {
        report[2] = kRefusal;
        queue(report, readyAt);
        return;
    }
    size_t n = std::min<size_t>(data.size() + 1, kMaxPayload);
    report[2] = kStx;
    report[3] = NibbleToHexDigit(static_cast<uint8_t>(lastCommand_ >> 4));
    report[4] = NibbleToHexDigit(lastCommand_);
    report[5] = NibbleToHexDigit(static_cast<uint8_t>(n >> 4));
    report[6] = NibbleToHexDigit(static_cast<uint8_t>(n));
    report[7] = faults.badStatusByte ? 0x01 : 0x00;
    std::copy_n(data.begin(), n - 1, report.data() + 8);
    report[7 + n] = kEtx;
    uint8_t bcc = 0;
    for (size_t i = 2; i <= 7 + n; ++i) {
        bcc ^= report[i];
    }
    report[8 + n] = faults.badCheckByte ? static_cast<uint8_t>(bcc ^ 0x01) : bcc;
    queue(report, readyAt);
}

void SimKeypad::refuse(uint32_t now) {
    Report report(64);
    report[0] = kReportId;
    report[1] = 0x40;
    report[2] = kRefusal;
    queue(report, now + faults.replyDelayMs);
}

void SimKeypad::pressKey(uint8_t key) {
    lastCommand_ = static_cast<uint8_t>(Command::SelfTest);
    reply({key}, GetTickCount());
}

bool SimKeypad::typeKey(int key) {
    auto bus = bus_.lock();
    if (!bus) {
        return false;
    }
    std::lock_guard lock(bus->mutex());
    size_t entries = variant_.keys <= 8 ? 10 : static_cast<size_t>(variant_.keys);
    if (key < 1 || static_cast<size_t>(key) > entries) {
        return false;
    }
    std::array<uint8_t, 32> table = current_.customTable;
    // Each family's default and alternate tables are built in; its customised one is stored.
    if (current_.keypadType <= 8 && current_.keypadType % 3 != 2) {
        table = builtInTable(current_.keypadType % 3 == 1);
    }
    uint8_t modifier = table[2 * static_cast<size_t>(key - 1)];
    Report pressed(8);
    // A boot keyboard carries modifier keys as bits of its first byte, not as key codes.
    if (modifier >= 0xE0 && modifier <= 0xE7) {
        pressed[0] = static_cast<uint8_t>(1U << (modifier - 0xE0));
    }
    pressed[2] = table[2 * static_cast<size_t>(key - 1) + 1];
    uint32_t now = GetTickCount();
    bus->queueReport(this, 0, {now, pressed});
    bus->queueReport(this, 0, {now + kKeyHoldMs, Report(8)});
    return true;
}

void SimKeypad::hostWrite(int interfaceNumber, const uint8_t* data, size_t length, uint32_t now) {
    if (interfaceNumber != 1) {
        return;  // interface 0 is the keyboard the keys type on; it takes no commands
    }
    if (faults.unplugAfterReports > 0 && --faults.unplugAfterReports == 0) {
        faults.unplugAfterReports = -1;
        if (auto bus = bus_.lock()) {
            bus->detachLater(this, 0);
        }
        return;
    }
    ++commandsReceived_;
    auto frame = parseCommand(data, length);
    if (!frame) {
        refuse(now);
        return;
    }
    lastCommand_ = frame->command;
    if (faults.noReply) {
        return;
    }
    handleCommand(frame->command, frame->payload, now);
}

void SimKeypad::leaveBus(uint32_t comeBackAfterMs, const std::function<void(uint32_t)>& then) {
    auto bus = bus_.lock();
    if (!bus) {
        return;
    }
    std::weak_ptr<VirtualBus> weakBus = bus_;
    std::shared_ptr<SimKeypad> self = shared_from_this();
    bool comesBack = comeBackAfterMs > 0;
    bus->detachLater(this, kLeaveAfterReplyMs,
                     [weakBus, self, comesBack, comeBackAfterMs, then](uint32_t now) {
                         if (then) {
                             then(now);
                         }
                         if (comesBack) {
                             if (auto b = weakBus.lock()) {
                                 b->attachAt(self, now + comeBackAfterMs);
                             }
                         }
                     });
}

bool SimKeypad::apply(uint8_t command, std::span<const uint8_t> payload, uint32_t now) {
    auto byteIn = [&](uint8_t low, uint8_t high, uint8_t& field) {
        if (payload.size() != 1 || payload[0] < low || payload[0] > high) {
            return false;
        }
        field = payload[0];
        return true;
    };
    switch (static_cast<Command>(command)) {
        case Command::Status:
            reply(statusRecord(), now);
            return true;
        case Command::LedBrightness:
            return byteIn(0, 9, current_.ledBrightness);
        case Command::LedColour:
            return byteIn(0, 2, current_.ledColour);
        case Command::Buzzer:
            return byteIn(0, 1, current_.buzzer);
        case Command::BuzzerPeriod:
            return byteIn(1, 9, current_.buzzerPeriod);
        case Command::KeypadType:
            return byteIn(0, 8, current_.keypadType);
        case Command::Options:
            return byteIn(0, 255, current_.options);
        case Command::BuzzerStatus:
        case Command::SelfTest:
            return payload.size() == 1;
        case Command::CodeTable:
            if (payload.empty() || payload.size() > current_.customTable.size()) {
                return false;
            }
            std::copy(payload.begin(), payload.end(), current_.customTable.begin());
            return true;
        case Command::SerialNumber:
            if (payload.size() != kSerialLength) {
                return false;
            }
            variant_.serialNumber.assign(payload.begin(), payload.end());
            return true;
        case Command::WriteDefaults:
            defaults_ = current_;
            return true;
        case Command::FactoryReset:
            defaults_ = factory_;
            return true;
        case Command::UpgradeMode:
            return true;
    }
    return false;
}

void SimKeypad::handleCommand(uint8_t command, std::span<const uint8_t> payload, uint32_t now) {
    if (!apply(command, payload, now)) {
        refuse(now);
        return;
    }
    if (command != static_cast<uint8_t>(Command::Status)) {
        reply({}, now);
    }
    if (command == static_cast<uint8_t>(Command::FactoryReset)) {
        leaveBus(faults.stayAwayAfterReset ? 0 : faults.restartDelayMs, {});
    } else if (command == static_cast<uint8_t>(Command::UpgradeMode)) {
        leaveBus(0, [this](uint32_t left) {
            if (onUpgradeMode) {
                onUpgradeMode(left);
            }
        });
    }
}

}  // namespace lumora_usb_encoder::sim
