#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/device_connection.h"
#include "sim/sim_keypad.h"
#include "sim/virtual_bus.h"

namespace lumora_usb_encoder::sim {

// Where a keypad image says which firmware version it is: "QFWV", the version text, a zero
// byte, at this flash address (below the interrupt vectors, which start at 0xFF80).
inline constexpr uint32_t kVersionRecordAddress = 0xFF40;
inline constexpr const char* kVersionRecordMagic = "QFWV";
inline constexpr size_t kMaxVersionLength = 16;

// Faults a test can inject; each applies from the next report on.
struct LoaderFaults {
    int unplugAfterReports = -1;  // leave the bus after this many more reports, until replug()
    bool noReply = false;         // swallow every command
    std::optional<std::array<uint8_t, 4>> versionReply;  // TX BSL Version answers these bytes
    std::optional<uint32_t> badCellAddress;  // flash here keeps the written byte with bit 0 flipped
};

// How long things take, in clock milliseconds. The defaults cost no time; realistic USB timing
// is one report per 1 ms frame each way and about 30 ms for an erase.
struct LoaderTiming {
    uint32_t reportMs = 0;     // each report written takes one frame, each reply one more
    uint32_t eraseMs = 0;      // a segment or mass erase
    uint32_t restartMs = 200;  // away from the bus after Load PC or a reset
};

// The MSP430 USB loader of the keypad's microcontroller: 2047:0200, one interface. It starts as
// the loader in protected flash (password, RX Data Block Fast into RAM, Load PC); Load PC 0x2504
// of a RAM image that begins with the version 00 06 05 34 re-enumerates it as the full RAM
// loader. Writing 04 A5 to PMMCTL0 (0x0120) resets the part: with a programmed reset vector the
// keypad comes back with the version its image carries, with an erased one the loader does.
class SimLoader final : public BusDevice, public std::enable_shared_from_this<SimLoader> {
  public:
    static constexpr uint32_t kMemorySize = 0x24400;

    SimLoader(std::weak_ptr<VirtualBus> bus, std::weak_ptr<SimKeypad> keypad);

    uint16_t vendorId() const override { return kLoaderVendorId; }
    uint16_t productId() const override { return kLoaderProductId; }
    std::vector<int> interfaces() const override { return {0}; }
    std::u16string product() const override;
    void hostWrite(int interfaceNumber, const uint8_t* data, size_t length, uint32_t now) override;
    void attached(uint32_t now) override;

    // The keypad left for its loader (bus lock held): the loader in protected flash appears.
    void enterFromKeypad(uint32_t now);
    // Plugging the device back in after an unplug: it boots as the reset vector says.
    void replug();

    // Test access; take the bus lock around them when other threads run.
    LoaderFaults faults;
    LoaderTiming timing;
    bool posesAsHardware = false;  // gives no product string, like the part itself
    std::vector<uint8_t>& memory() { return memory_; }
    bool ramLoaderRunning() const { return ramLoader_; }
    int reportsReceived() const { return reportsReceived_; }
    int massErases() const { return massErases_; }
    // The version text the programmed image carries; empty when it carries none.
    std::string imageVersion() const;
    // Programs the keypad's present firmware: vector table, a version record, a little code.
    void loadFactoryImage(const std::string& version);

  private:
    // A command's core packet is read where it lies in the report: one report per frame must
    // not cost an allocation (a long TX Data Block answers with a thousand of them).
    using Core = std::span<const uint8_t>;
    void handle(Core core, uint32_t now);
    bool handleRomCommand(uint8_t command, Core core, uint32_t now);
    void handleRamCommand(uint8_t command, Core core, uint32_t now);
    void password(Core core, uint32_t now);
    uint8_t writeBlock(uint32_t address, const uint8_t* bytes, size_t count, bool ramOnly,
                       uint32_t now);
    void eraseSegment(uint32_t address, uint32_t now);
    void massErase();
    void crcCheck(uint32_t address, uint32_t length, uint32_t now);
    void txDataBlock(uint32_t address, uint32_t length, uint32_t now);
    void loadPc(uint32_t address, uint32_t now);
    // Leaves the bus and comes back as the reset vector says (bus lock held).
    void reset(uint32_t now);
    void boot(uint32_t at);
    bool resetVectorErased() const;
    void message(uint8_t code, uint32_t now, uint32_t busyMs = 0);
    void data(Core bytes, uint32_t now, uint32_t busyMs = 0);
    void queueCore(Core core, uint32_t now, uint32_t busyMs);
    // The report that carries `core` (1 to 62 bytes) to the host.
    PendingReport replyReport(Core core, uint32_t now, uint32_t busyMs) const;
    void leaveThen(std::function<void(uint32_t)> then);

    std::weak_ptr<VirtualBus> bus_;
    std::weak_ptr<SimKeypad> keypad_;
    // Who owns whom: on the bus the keypad owns its loader (through `link_`); while the part is
    // in its loader the loader is on the bus and owns the keypad instead. Never both at once, so
    // nothing keeps the two alive once the bus is gone.
    struct Link {
        std::shared_ptr<SimLoader> loader;
    };
    std::weak_ptr<Link> link_;
    std::shared_ptr<SimKeypad> keypadHeld_;
    void keypadOwnsLoader();
    void loaderOwnsKeypad();
    friend std::shared_ptr<SimLoader> connectLoader(const Simulation& simulation);
    std::vector<uint8_t> memory_;
    bool ramLoader_ = false;
    bool unlocked_ = false;
    bool leaving_ = false;
    bool flashChanged_ = false;
    int reportsReceived_ = 0;
    int massErases_ = 0;
};

// Joins a loader to the simulation's keypad: the upgrade mode command brings it on the bus, and
// the keypad's flash starts out holding its present firmware.
std::shared_ptr<SimLoader> connectLoader(const Simulation& simulation);

}  // namespace lumora_usb_encoder::sim
