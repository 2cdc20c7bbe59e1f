#include <gtest/gtest.h>

#include <condition_variable>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "served_bus.h"
#include "sim/sim_keypad.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using hid::BusEvent;

struct Events {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<BusEvent, std::string>> seen;

    void add(BusEvent event, const std::string& path) {
        std::lock_guard lock(mutex);
        seen.emplace_back(event, path);
        changed.notify_all();
    }
    bool waitFor(BusEvent event, size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] {
            return size_t(std::count_if(seen.begin(), seen.end(),
                                        [&](const auto& e) { return e.first == event; })) >= count;
        });
    }
};

// The keypad simulator served on a socket behaves for the command layer exactly as the one in
// this process does: same status record, settings land on the keypad, restarts are announced.
TEST(KeypadOverSocket, CommandsAndRestartsGoThroughTheServer) {
    sim::SimulationSpec spec;
    std::string error;
    ASSERT_TRUE(sim::parseSimulationSpec("keys=16,type=8", spec, error)) << error;
    auto simulation = sim::makeSimulation(spec);
    ServedBus bus(std::make_shared<sim::SimBackend>(simulation.bus),
                  [served = simulation.bus] { served->poll(); });
    hid::setBackend(bus.client());
    {
        std::lock_guard lock(exchangeMutex());
        char manufacturer[kDeviceTextSize], product[kDeviceTextSize];
        hid_handle = ScanForUSBDevice_a(kKeypadVendorId, kKeypadProductId, manufacturer, product);
        ASSERT_NE(hid_handle, nullptr);
        EXPECT_STREQ(manufacturer, "Vorla");
    }
    Reply reply;
    ASSERT_EQ(sendCommand(Command::Status, {}, &reply), 0);
    std::vector<uint8_t> expected;
    {
        std::lock_guard lock(simulation.bus->mutex());
        expected = simulation.keypad->statusRecord();
    }
    EXPECT_EQ(std::vector<uint8_t>(reply.data.begin(), reply.data.begin() + reply.length),
              expected);
    ASSERT_EQ(sendByte(Command::LedBrightness, 7), 0);
    {
        std::lock_guard lock(simulation.bus->mutex());
        EXPECT_EQ(simulation.keypad->current().ledBrightness, 7);
    }

    Events events;
    auto watch = hid::backend().watch(
        [&](BusEvent event, const std::string& path) { events.add(event, path); });
    ASSERT_NE(watch, nullptr);
    ASSERT_EQ(sendCommand(Command::FactoryReset), 0);
    Sleep(kRestartWaitMs);  // virtual: the server's bus sees the keypad leave and come back
    EXPECT_TRUE(events.waitFor(BusEvent::Removal, 1));
    EXPECT_TRUE(events.waitFor(BusEvent::Arrival, 1));
    // The old handle is stale; a rescan through the socket finds the keypad again.
    uint8_t report[64] = {0x3F};
    EXPECT_EQ(hid_handle->write(report, 64), -1);
    {
        std::lock_guard lock(exchangeMutex());
        hid_exit_safely(hid_handle);
        char manufacturer[kDeviceTextSize], product[kDeviceTextSize];
        hid_handle = ScanForUSBDevice_a(kKeypadVendorId, kKeypadProductId, manufacturer, product);
        ASSERT_NE(hid_handle, nullptr);
    }
    EXPECT_EQ(sendCommand(Command::Status, {}, &reply), 0);
    closeKeypad();
    watch.reset();
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
