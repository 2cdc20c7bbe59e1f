// Clients and quillon-sim letting go of each other. Clients that ask for a long READ and leave:
// nobody reads those answers, so the waits end with the connections, else a handful of such
// clients holds every place of the server for as long as they asked. And a client whose quiet
// connection the server let go (while a restore waits for the keypad to restart) connects again
// without a word of it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "common/world.h"
#include "echo_backend.h"
#include "served_bus.h"
#include "sim/virtual_bus.h"
#include "simserver/sim_server.h"
#include "socket/stream_io.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {
namespace {

namespace wire = hid::wire;
using namespace std::chrono_literals;

// A client speaking the wire protocol line by line, as any program could.
struct RawClient {
    explicit RawClient(const std::string& path) {
        std::string error;
        fd = wire::connectUnix(path, error);
        EXPECT_TRUE(fd.valid()) << error;
    }
    std::string ask(const std::string& line) {
        std::string error;
        EXPECT_TRUE(wire::sendLine(fd.get(), line, wire::deadlineIn(2s), error)) << error;
        return answer();
    }
    void tell(const std::string& line) {
        std::string error;
        EXPECT_TRUE(wire::sendLine(fd.get(), line, wire::deadlineIn(2s), error)) << error;
    }
    std::string answer() {
        std::string line;
        auto status = reader.next(fd.get(), line, wire::deadlineIn(10s));
        return status == wire::LineReader::Status::Line ? line : "(no answer)";
    }
    wire::FileDescriptor fd;
    wire::LineReader reader;
};

WorldOptions onRealTime() {
    WorldOptions options;
    options.clock = std::make_shared<SystemClock>();
    return options;
}

struct ServedWorld {
    World world{"keys=8", onRealTime()};
    std::string path = tempSocketPath();
    std::unique_ptr<sim::SimServer> server;

    explicit ServedWorld(size_t places) {
        sim::ServerOptions options;
        options.path = path;
        options.backend = std::make_shared<sim::SimBackend>(world.simulation.bus);
        options.maxClients = places;
        server = std::make_unique<sim::SimServer>(options);
        std::string error;
        EXPECT_TRUE(server->start(error)) << error;
    }
};

TEST(AbandonedReads, EndWithTheirConnectionsSoOthersAreServed) {
    ServedWorld served(2);
    {
        std::vector<RawClient> leaving;
        for (int i = 0; i < 2; ++i) {
            leaving.emplace_back(served.path);
            std::string handle = leaving.back().ask("OPEN sim-1-if0").substr(3);
            leaving.back().tell("READ " + handle + " 64 20000");
        }
    }  // both leave while their reads wait
    RawClient next(served.path);
    EXPECT_EQ(next.ask("ENUMERATE 2047 0200"), "END") << "a place was free for the next client";
}

TEST(AbandonedReads, AReadWaitsAtMostAMinute) {
    ServedWorld served(4);
    RawClient client(served.path);
    std::string handle = client.ask("OPEN sim-1-if0").substr(3);
    // The READ line, the answer.
    const std::pair<std::string, std::string> cases[] = {
        {"READ " + handle + " 64 0", "NONE"},
        {"READ " + handle + " 64 60001", "ERR timeout above 60000 ms"},
        {"READ " + handle + " 64 2147483647", "ERR timeout above 60000 ms"},
    };
    for (const auto& [line, answer] : cases) {
        EXPECT_EQ(client.ask(line), answer) << line;
    }
}

TEST(ServerLetGo, TheNextScanConnectsAgainSayingNothing) {
    ServedBus bus(std::make_shared<EchoBackend>(
        std::vector<hid::DeviceInfo>{{"kp-if1", 0x2047, 0x09BF, 1, u"Vorla", u"Quillon"}}));
    std::atomic<bool> dropped{false};
    bus.serverOptions.idleTimeout = 100ms;
    bus.serverOptions.log = [&dropped](const std::string& line) {
        dropped = dropped || line.find("dropped: no request after connecting") != line.npos;
    };
    bus.restart();
    auto client = bus.client();  // connects and says nothing, as a program at its start
    for (int i = 0; i < 500 && !dropped; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(dropped);
    EXPECT_EQ(client->enumerate(0x2047, 0x09BF).size(), 1u);
    EXPECT_EQ(bus.allDiagnostics(), "");
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
