#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <thread>

#include "echo_backend.h"
#include "served_bus.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using hid::BusEvent;

std::vector<hid::DeviceInfo> twoKeypadsAndALoader() {
    return {
        {"kp-a-if0", 0x2047, 0x09BF, 0, u"Vorla", u"Quillon"},
        {"kp-a-if1", 0x2047, 0x09BF, 1, u"Vorla", u"Quillon \u00e9\U0001F600\U0010FFFF"},
        {"loader", 0x2047, 0x0200, -1, u"", u""},
        {"other", 0x1234, 0x09BF, 1, u"X", u"Y"},
    };
}

std::vector<std::string> paths(const std::vector<hid::DeviceInfo>& devices) {
    std::vector<std::string> result;
    for (const auto& d : devices) {
        result.push_back(d.path);
    }
    return result;
}

TEST(SocketBackend, EnumerationCarriesEveryFieldAndHonoursTheFilter) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto client = bus.client();
    struct Case {
        uint16_t vendor, product;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, 0, {"kp-a-if0", "kp-a-if1", "loader", "other"}},
        {0x2047, 0x09BF, {"kp-a-if0", "kp-a-if1"}},
        {0x2047, 0, {"kp-a-if0", "kp-a-if1", "loader"}},
        {0, 0x09BF, {"kp-a-if0", "kp-a-if1", "other"}},
        {0xFFFF, 0xFFFF, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(paths(client->enumerate(c.vendor, c.product)), c.expected)
            << std::hex << c.vendor << ":" << c.product;
    }
    auto all = client->enumerate(0, 0);
    const auto expected = twoKeypadsAndALoader();
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].vendorId, expected[i].vendorId);
        EXPECT_EQ(all[i].productId, expected[i].productId);
        EXPECT_EQ(all[i].interfaceNumber, expected[i].interfaceNumber);
        EXPECT_EQ(all[i].manufacturer, expected[i].manufacturer);
        EXPECT_EQ(all[i].product, expected[i].product);
    }
}

TEST(SocketBackend, ReportsAndStringsCrossTheSocketUnchanged) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto client = bus.client();
    EXPECT_EQ(client->openPath("no-such-path"), nullptr);
    EXPECT_EQ(client->openPath("has blank"), nullptr);
    auto device = client->openPath("kp-a-if1");
    ASSERT_NE(device, nullptr);

    uint8_t report[64];
    for (int i = 0; i < 64; ++i) {
        report[i] = static_cast<uint8_t>(i * 5);
    }
    EXPECT_EQ(device->write(report, 64), 64);
    uint8_t back[64] = {};
    EXPECT_EQ(device->readTimeout(back, 64, 10), 64);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 64), std::vector<uint8_t>(report, report + 64));
    EXPECT_EQ(device->read(back, 64), 0);  // nothing more waiting

    // A wait for a report that never comes costs virtual time on the server, not real time.
    uint32_t before = GetTickCount();
    EXPECT_EQ(device->readTimeout(back, 64, 5000), 0);
    EXPECT_GE(GetTickCount() - before, 5000u);

    std::u16string text;
    EXPECT_EQ(device->manufacturerString(text), 0);
    EXPECT_EQ(text, u"Vorla");
    EXPECT_EQ(device->productString(text), 0);
    EXPECT_EQ(text, u"Quillon \u00e9\U0001F600\U0010FFFF");
    EXPECT_EQ(device->readTimeout(back, 64, -1), -1);  // no endless waits through a socket
}

TEST(SocketBackend, ADeviceThatLeftTheBusFailsEveryCall) {
    auto echo = std::make_shared<EchoBackend>(twoKeypadsAndALoader());
    ServedBus bus(echo);
    auto client = bus.client();
    auto device = client->openPath("kp-a-if1");
    ASSERT_NE(device, nullptr);
    echo->unplug("kp-a-if1");
    uint8_t report[64] = {0x3F};
    std::u16string text;
    EXPECT_EQ(device->write(report, 64), -1);
    EXPECT_EQ(device->read(report, 64), -1);
    EXPECT_EQ(device->readTimeout(report, 64, 10), -1);
    EXPECT_EQ(device->manufacturerString(text), -1);
    EXPECT_EQ(device->productString(text), -1);
    // The connection stays good: other devices and scans still work.
    EXPECT_EQ(client->enumerate(0x2047, 0x0200).size(), 1u);
    EXPECT_NE(bus.allDiagnostics().find("WRITE refused"), std::string::npos);
}

TEST(SocketBackend, TwoClientsExchangeAtOnceWithoutCrossTalk) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto run = [&](const std::string& path, uint8_t tag, int& mismatches) {
        auto client = bus.client();
        auto device = client->openPath(path);
        ASSERT_NE(device, nullptr);
        for (int i = 0; i < 200; ++i) {
            uint8_t report[64] = {tag, static_cast<uint8_t>(i)};
            uint8_t back[64] = {};
            if (device->write(report, 64) != 64 || device->readTimeout(back, 64, 10) != 64 ||
                back[0] != tag || back[1] != static_cast<uint8_t>(i)) {
                ++mismatches;
            }
        }
    };
    int firstMismatches = 0, secondMismatches = 0;
    std::thread first([&] { run("kp-a-if1", 0xA1, firstMismatches); });
    std::thread second([&] { run("kp-a-if0", 0xB2, secondMismatches); });
    first.join();
    second.join();
    EXPECT_EQ(firstMismatches, 0);
    EXPECT_EQ(secondMismatches, 0);
}

TEST(SocketBackend, WatchDeliversArrivalsAndRemovalsInOrder) {
    auto echo = std::make_shared<EchoBackend>(twoKeypadsAndALoader());
    ServedBus bus(echo);
    auto client = bus.client();
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<BusEvent, std::string>> seen;
    auto watch = client->watch([&](BusEvent event, const std::string& path) {
        std::lock_guard lock(mutex);
        seen.emplace_back(event, path);
        changed.notify_all();
    });
    ASSERT_NE(watch, nullptr);
    echo->announce(BusEvent::Removal, "kp-a-if1");
    echo->announce(BusEvent::Arrival, "loader");
    echo->announce(BusEvent::Arrival, "bad path");  // cannot travel; not sent
    echo->announce(BusEvent::Removal, "loader");
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return seen.size() >= 3; }));
    const std::vector<std::pair<BusEvent, std::string>> expected = {{BusEvent::Removal, "kp-a-if1"},
                                                                    {BusEvent::Arrival, "loader"},
                                                                    {BusEvent::Removal, "loader"}};
    EXPECT_EQ(seen, expected);
}

TEST(SocketBackend, AWatchSeesAStoppedServerAsRemovalsAndItsReturnAsArrivals) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto client = bus.client();
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> seen;
    auto watch = client->watch([&](BusEvent event, const std::string& path) {
        std::lock_guard lock(mutex);
        seen.push_back((event == BusEvent::Arrival ? "+" : "-") + path);
        changed.notify_all();
    });
    ASSERT_NE(watch, nullptr);
    auto expectSeen = [&](const std::vector<std::string>& expected) {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(5),
                                     [&] { return seen.size() >= expected.size(); }));
        EXPECT_EQ(seen, expected);
        seen.clear();
    };
    bus.server->stop();
    expectSeen({"-kp-a-if0", "-kp-a-if1", "-loader", "-other"});
    bus.restart();
    expectSeen({"+kp-a-if0", "+kp-a-if1", "+loader", "+other"});
    EXPECT_NE(client->openPath("kp-a-if1"), nullptr);
}

TEST(SocketBackend, AStoppedServerTurnsIntoFailuresAndLeavesNoSocketFile) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto client = bus.client();
    auto device = client->openPath("kp-a-if1");
    ASSERT_NE(device, nullptr);
    bus.server->stop();
    EXPECT_FALSE(std::filesystem::exists(bus.path));
    uint8_t report[64] = {0x3F};
    EXPECT_EQ(device->write(report, 64), -1);
    EXPECT_EQ(device->readTimeout(report, 64, 10), -1);
    EXPECT_TRUE(client->enumerate(0, 0).empty());
    EXPECT_EQ(client->openPath("kp-a-if1"), nullptr);
    EXPECT_EQ(client->watch([](BusEvent, const std::string&) {}), nullptr);
    std::string all = bus.allDiagnostics();
    EXPECT_NE(all.find("connection dropped"), std::string::npos) << all;
    EXPECT_NE(all.find("cannot connect"), std::string::npos) << all;

    std::string error;
    EXPECT_EQ(hid::makeSocketBackend(bus.path, error), nullptr);
    EXPECT_NE(error.find(bus.path), std::string::npos);
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
