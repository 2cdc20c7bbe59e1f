#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>

#include "device/keypad_commands.h"
#include "device/status_record.h"
#include "echo_backend.h"
#include "served_bus.h"
#include "simserver/sim_server_session.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using hid::BusEvent;
using namespace std::chrono_literals;

std::vector<hid::DeviceInfo> twoKeypadsAndALoader() {
    return {{"kp-a-if0", 0x2047, 0x09BF, 0, u"Vorla", u"Quillon"},
            {"kp-a-if1", 0x2047, 0x09BF, 1, u"Vorla", u"Quillon \u00e9\U0001F600\U0010FFFF"},
            {"loader", 0x2047, 0x0200, -1, u"", u""},
            {"other", 0x1234, 0x09BF, 1, u"X", u"Y"}};
}

std::vector<std::string> paths(const std::vector<hid::DeviceInfo>& devices) {
    std::vector<std::string> result(devices.size());
    std::ranges::transform(devices, result.begin(), &hid::DeviceInfo::path);
    return result;
}

TEST(SocketBackend, EnumerationCarriesEveryFieldAndTheFilter) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    auto client = bus.client();
    EXPECT_EQ(paths(client->enumerate(0x2047, 0)),
              (std::vector<std::string>{"kp-a-if0", "kp-a-if1", "loader"}));
    EXPECT_EQ(paths(client->enumerate(0, 0x09BF)),
              (std::vector<std::string>{"kp-a-if0", "kp-a-if1", "other"}));
    auto all = client->enumerate(0, 0);
    const auto expected = twoKeypadsAndALoader();
    ASSERT_EQ(all.size(), expected.size());
    auto fields = [](const hid::DeviceInfo& d) {
        return std::tie(d.path, d.vendorId, d.productId, d.interfaceNumber, d.manufacturer,
                        d.product);
    };
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(fields(all[i]), fields(expected[i])) << i;
    }
}

// A device across the socket: every byte and string unchanged, every call failing once it has
// left the bus (the connection stays good), and once the server has stopped.
TEST(SocketBackend, ADeviceCarriesEveryByteUntilItOrTheServerIsGone) {
    auto echo = std::make_shared<EchoBackend>(twoKeypadsAndALoader());
    ServedBus bus(echo);
    auto client = bus.client();
    EXPECT_EQ(client->openPath("no-such-path"), nullptr);
    EXPECT_EQ(client->openPath("has blank"), nullptr);
    auto device = client->openPath("kp-a-if1");
    auto other = client->openPath("kp-a-if0");
    ASSERT_NE(device, nullptr);
    ASSERT_NE(other, nullptr);
    uint8_t report[64], back[64] = {};
    std::iota(report, report + 64, uint8_t{7});
    EXPECT_EQ(device->write(report, 64), 64);
    EXPECT_EQ(device->readTimeout(back, 64, 10), 64);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 64), std::vector<uint8_t>(report, report + 64));
    EXPECT_EQ(device->read(back, 64), 0);  // nothing more waiting
    // A wait for a report that never comes costs virtual time on the server, not real time.
    uint32_t before = GetTickCount();
    EXPECT_EQ(device->readTimeout(back, 64, 5000), 0);
    EXPECT_GE(GetTickCount() - before, 5000u);
    EXPECT_EQ(device->readTimeout(back, 64, -1), -1);  // no endless waits through a socket
    std::u16string text;
    EXPECT_EQ(device->manufacturerString(text), 0);
    EXPECT_EQ(text, u"Vorla");
    EXPECT_EQ(device->productString(text), 0);
    EXPECT_EQ(text, u"Quillon \u00e9\U0001F600\U0010FFFF");

    echo->unplug("kp-a-if1");
    EXPECT_EQ(device->write(report, 64), -1);
    EXPECT_EQ(device->read(report, 64), -1);
    EXPECT_EQ(device->manufacturerString(text), -1);
    EXPECT_EQ(device->productString(text), -1);
    EXPECT_EQ(other->write(report, 64), 64);
    EXPECT_NE(bus.allDiagnostics().find("WRITE refused"), std::string::npos);
    bus.server->stop();
    EXPECT_EQ(other->readTimeout(report, 64, 10), -1);
    EXPECT_TRUE(client->enumerate(0, 0).empty());
    EXPECT_EQ(client->watch([](BusEvent, const std::string&) {}), nullptr);
    std::string all = bus.allDiagnostics();
    EXPECT_NE(all.find("connection dropped"), std::string::npos) << all;
    EXPECT_NE(all.find("cannot connect"), std::string::npos) << all;
    std::string error;
    EXPECT_EQ(hid::makeSocketBackend(bus.path, error), nullptr);
    EXPECT_NE(error.find(bus.path), std::string::npos);
}

TEST(SocketBackend, TwoClientsExchangeAtOnceWithoutCrossTalk) {
    ServedBus bus(std::make_shared<EchoBackend>(twoKeypadsAndALoader()));
    int mismatches[2] = {};
    auto run = [&](const std::string& path, uint8_t tag, int& count) {
        auto client = bus.client();
        auto device = client->openPath(path);
        ASSERT_NE(device, nullptr);
        for (int i = 0; i < 200; ++i) {
            uint8_t report[64] = {tag, static_cast<uint8_t>(i)};
            uint8_t back[64] = {};
            if (device->write(report, 64) != 64 || device->readTimeout(back, 64, 10) != 64 ||
                back[0] != tag || back[1] != static_cast<uint8_t>(i)) {
                ++count;
            }
        }
    };
    std::thread first([&] { run("kp-a-if1", 0xA1, mismatches[0]); });
    run("kp-a-if0", 0xB2, mismatches[1]);
    first.join();
    EXPECT_EQ(mismatches[0] + mismatches[1], 0);
}

TEST(SocketBackend, AWatchDeliversEventsInOrderAndSeesAServerStopAndReturn) {
    auto echo = std::make_shared<EchoBackend>(twoKeypadsAndALoader());
    ServedBus bus(echo);
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
    echo->announce(BusEvent::Removal, "kp-a-if1");
    echo->announce(BusEvent::Arrival, "loader");
    echo->announce(BusEvent::Arrival, "bad path");  // cannot travel; not sent
    echo->announce(BusEvent::Removal, "loader");
    expectSeen({"-kp-a-if1", "+loader", "-loader"});
    bus.server->stop();  // removals for what is still there
    expectSeen({"-kp-a-if0", "-other"});
    bus.restart();
    expectSeen({"+kp-a-if0", "+kp-a-if1", "+loader", "+other"});
    EXPECT_NE(client->openPath("kp-a-if1"), nullptr);
}

// The keypad's own exchanges across the socket: each command reaches the world's keypad whole,
// and its answer comes back.
TEST(SocketBackend, AServedKeypadTakesCommandsAsIfItWereHere) {
    World world("keys=8,brightness=2");
    ServedBus bus(world);
    hid::setBackend(bus.client());
    ASSERT_TRUE(rescanKeypad(world.ui));
    EXPECT_EQ(sendByte(Command::LedBrightness, 6), kResultOk);
    auto status = readDeviceStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->ledBrightness, 6);
    EXPECT_EQ(world.keypad().current().ledBrightness, 6);
    const std::vector<SentCommand> sent = {
        {Command::LedBrightness, {6}},
        {Command::Status, {}},
    };
    EXPECT_EQ(world.sent(), sent);
    closeKeypad();
    hid::setBackend(nullptr);  // the client goes before the server it reports to
}

// A client that speaks raw lines, to see exactly what the server says.
struct RawClient {
    hid::wire::FileDescriptor fd;
    hid::wire::LineReader reader;

    explicit RawClient(const std::string& path) {
        std::string error;
        fd = hid::wire::connectUnix(path, error);
        EXPECT_TRUE(fd.valid()) << error;
    }
    std::string ask(const std::string& line) {
        std::string error;
        EXPECT_TRUE(hid::wire::sendLine(fd.get(), line, hid::wire::deadlineIn(5s), error));
        return next();
    }
    std::string next() {
        std::string answer;
        auto status = reader.next(fd.get(), answer, hid::wire::deadlineIn(5s));
        return status == hid::wire::LineReader::Status::Line ? answer : "(no line)";
    }
};

TEST(SimServer, AnswersEveryLineInOrderAndSurvivesBadOnes) {
    const std::vector<hid::DeviceInfo> devices = {
        {"kp", 0x2047, 0x09BF, 1, u"Vorla", u""},
        {"with blank", 0x2047, 0x09BF, 1, u"", u""},
    };
    ServedBus bus(std::make_shared<EchoBackend>(devices));
    RawClient client(bus.path);
    EXPECT_EQ(client.ask("ENUMERATE 2047 09BF"), "DEVICE kp 2047 09bf 1 566f726c61 -");
    EXPECT_EQ(client.next(), "END");  // a path with a blank cannot be offered
    const std::pair<std::string, std::string> exchanges[] = {
        {"OPEN nowhere", "ERR cannot open nowhere"},
        {"HELLO", "ERR unknown request 'HELLO'"},
        {std::string(5000, 'W'), "ERR line longer than 4096 bytes"},
        {"READ 1 64 0", "ERR unknown handle"},
        {"CLOSE 1", "ERR unknown handle"}};
    for (const auto& [request, answer] : exchanges) {
        EXPECT_EQ(client.ask(request), answer) << request.substr(0, 20);
    }
    std::string opened = client.ask("OPEN kp");
    ASSERT_TRUE(opened.starts_with("OK ")) << opened;
    std::string handle = opened.substr(3);
    EXPECT_EQ(client.ask("WRITE " + handle + " 3F4002"), "OK 3");
    EXPECT_EQ(client.ask("READ " + handle + " 2 0"), "DATA 3f40");  // cut to max, as hid_read
    EXPECT_EQ(client.ask("READ " + handle + " 64 0"), "NONE");
    EXPECT_EQ(client.ask("STRING " + handle + " PRODUCT"), "STRING -");
    EXPECT_EQ(client.ask("CLOSE " + handle), "OK");
    EXPECT_EQ(client.ask("READ " + handle + " 64 0"), "ERR unknown handle");
}

TEST(SimServer, HandlesBelongToTheConnectionThatOpenedThem) {
    EchoBackend echo({{"kp", 0x2047, 0x09BF, 1, u"", u""}});
    sim::ServerSession first(echo), second(echo);
    auto opened = first.handle("OPEN kp");
    ASSERT_TRUE(opened.summary.starts_with("OK ")) << opened.summary;
    std::string handle = opened.summary.substr(3);
    EXPECT_EQ(second.handle("READ " + handle + " 64 0").summary, "ERR unknown handle");
    EXPECT_EQ(first.handle("READ " + handle + " 64 0").summary, "NONE");
    for (int i = 1; i < 64; ++i) {
        first.handle("OPEN kp");
    }
    EXPECT_EQ(first.openHandles(), 64u);
    EXPECT_EQ(first.handle("OPEN kp").summary, "ERR too many open handles");
}

// Past its places the server says so: a watcher past the watch slots at once, a request
// connection once it has waited its idle time for a place that a busy client keeps.
TEST(SimServer, AClientPastItsPlacesIsToldSo) {
    ServedBus bus(std::make_shared<EchoBackend>(std::vector<hid::DeviceInfo>{}));
    bus.serverOptions.maxClients = 1;
    bus.serverOptions.maxWatchers = 1;
    bus.serverOptions.idleTimeout = 300ms;
    bus.restart();
    RawClient watcher(bus.path);
    EXPECT_EQ(watcher.ask("WATCH"), "OK");
    EXPECT_EQ(RawClient(bus.path).ask("WATCH"), "ERR too many watchers");
    RawClient served(bus.path);
    EXPECT_EQ(served.ask("ENUMERATE 0000 0000"), "END");
    std::atomic<bool> done{false};
    std::thread busy([&] {
        while (!done && served.ask("ENUMERATE 0000 0000") == "END") {
            std::this_thread::sleep_for(50ms);
        }
    });
    RawClient waiting(bus.path);
    EXPECT_EQ(waiting.next(), "ERR too many clients");
    done = true;
    busy.join();
}

TEST(SimServer, TakesOverAStaleSocketButNeverALiveOneOrAFile) {
    ServedBus live(std::make_shared<EchoBackend>(std::vector<hid::DeviceInfo>{}));
    sim::ServerOptions options = live.serverOptions;
    std::string error;
    sim::SimServer rival(options);
    EXPECT_FALSE(rival.start(error));
    EXPECT_NE(error.find("already serves"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::exists(live.path));  // the rival did not remove it
    options.path = tempSocketPath();
    {
        sim::SocketFile killed;  // what a killed server leaves: the file, nobody listening
        ASSERT_TRUE(sim::listenUnix(options.path, killed, error).valid()) << error;
    }
    sim::SimServer revived(options);
    EXPECT_TRUE(revived.start(error)) << error;
    revived.stop();
    EXPECT_FALSE(std::filesystem::exists(options.path));
    options.path = tempSocketPath();
    std::ofstream(options.path) << "precious";
    sim::SimServer clobberer(options);
    EXPECT_FALSE(clobberer.start(error));
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::exists(options.path));
    std::filesystem::remove(options.path);
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
