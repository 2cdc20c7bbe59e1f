#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "sim/virtual_bus.h"

namespace lumora_usb_encoder::sim {

// The settings in the keypad's memory: `defaults` survive restarts, `factory` is what a factory
// reset brings back.
struct KeypadMemory {
    uint8_t ledBrightness = 5;
    uint8_t ledColour = 0;
    uint8_t buzzer = 1;
    uint8_t options = 0x06;
    uint8_t buzzerPeriod = 3;
    uint8_t keypadType = 0;
    std::array<uint8_t, 32> customTable{};
};

struct KeypadVariant {
    int keys = 8;  // 5, 6, 8, 12 or 16
    std::string firmwareVersion = "7.2";
    std::string serialNumber = "QK0000012345";
};

// Faults a test can inject; each applies to the replies that follow.
struct KeypadFaults {
    bool noReply = false;             // the keypad swallows commands
    int acknowledgeReports = 0;       // acknowledge reports sent before each reply
    bool refuse = false;              // a refusal report instead of the reply
    bool badCheckByte = false;        // BCC off by one bit
    bool badStatusByte = false;       // status byte 1
    bool badSizeByte = false;         // size byte 0x41
    uint32_t replyDelayMs = 0;        // reply readable this long after the command
    int unplugAfterReports = -1;      // leave the bus after this many more written reports
    uint32_t restartDelayMs = 1000;   // time away from the bus after a factory reset
    bool stayAwayAfterReset = false;  // a factory reset and the keypad does not come back
};

class SimKeypad final : public BusDevice, public std::enable_shared_from_this<SimKeypad> {
  public:
    SimKeypad(std::weak_ptr<VirtualBus> bus, KeypadVariant variant, const KeypadMemory& factory);

    uint16_t vendorId() const override { return kKeypadVendorId; }
    uint16_t productId() const override { return kKeypadProductId; }
    std::vector<int> interfaces() const override { return {0, 1}; }
    std::u16string manufacturer() const override { return u"Vorla"; }
    std::u16string product() const override { return u"Quillon Keypad"; }
    void hostWrite(int interfaceNumber, const uint8_t* data, size_t length, uint32_t now) override;
    void attached(uint32_t now) override;

    // Called (bus lock held) when the keypad leaves the bus for its loader, so that the loader
    // can take its place.
    std::function<void(uint32_t now)> onUpgradeMode;

    // Test access; take the bus lock around them when other threads run.
    KeypadFaults faults;
    KeypadMemory& current() { return current_; }
    KeypadMemory& defaults() { return defaults_; }
    KeypadVariant& variant() { return variant_; }
    int commandsReceived() const { return commandsReceived_; }
    // A key press frame during the self test (command 8 reply with the key's number).
    void pressKey(uint8_t key);
    // Key `key` (1-based) pressed and let go: its entry of the table in use goes out on the
    // keyboard interface as a boot-keyboard report, then the all-released report. False when
    // the keypad has no such key.
    bool typeKey(int key);
    // Status record as the keypad would send it now.
    std::vector<uint8_t> statusRecord() const;

    static constexpr size_t kSerialLength = 12;
    static size_t codeTableLengthFor(uint8_t keypadType);

  private:
    void handleCommand(uint8_t command, std::span<const uint8_t> payload, uint32_t now);
    // Carries out a command; false when the keypad refuses it.
    bool apply(uint8_t command, std::span<const uint8_t> payload, uint32_t now);
    void reply(const std::vector<uint8_t>& data, uint32_t now);
    void refuse(uint32_t now);
    void queue(const Report& report, uint32_t readyAt);
    // Leaves the bus just after the reply; comes back after `comeBackAfterMs` (0: stays away).
    void leaveBus(uint32_t comeBackAfterMs, const std::function<void(uint32_t)>& then);

    std::weak_ptr<VirtualBus> bus_;
    KeypadVariant variant_;
    KeypadMemory factory_;
    KeypadMemory defaults_;
    KeypadMemory current_;
    int commandsReceived_ = 0;
    uint8_t lastCommand_ = 0;
};

// What --simulate=SPEC asks for: keys=5|6|8|12|16, type=N, version=TEXT, serial=TEXT,
// brightness=N, colour=N, buzzer=N, period=N, options=N, delay=MS (reply delay),
// fault=refuse|badcheck|badstatus|badsize|ack (every reply) or unplug@N (gone after N commands),
// absent=1 (no keypad on the bus),
// press=K@MS;K@MS... (key K, 1-based, pressed MS milliseconds after the keypad starts).
struct KeyPress {
    int key = 1;
    uint32_t atMs = 0;
};
struct SimulationSpec {
    KeypadVariant variant;
    KeypadMemory factory;
    KeypadFaults faults;
    std::vector<KeyPress> presses;
    bool absent = false;
    bool usbFrames = false;  // reports wait for 1 ms USB frames, as on a real keypad
};

// Parses SPEC; on failure returns false with a message naming the bad item.
bool parseSimulationSpec(const std::string& text, SimulationSpec& spec, std::string& error);

// A bus with one keypad on it.
struct Simulation {
    std::shared_ptr<VirtualBus> bus;
    std::shared_ptr<SimKeypad> keypad;
};
Simulation makeSimulation(const SimulationSpec& spec);
// From SPEC text; nullopt with the message naming the bad item.
std::optional<Simulation> makeSimulation(const std::string& spec, std::string& error);

}  // namespace lumora_usb_encoder::sim
