#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "device/device_connection.h"
#include "device/keypad_commands.h"
#include "echo_backend.h"
#include "served_bus.h"
#include "sim/sim_keypad.h"
#include "sim/sim_server_session.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {
namespace {

using namespace std::chrono_literals;

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

sim::ServerOptions serving(const std::string& path, std::shared_ptr<hid::Backend> backend) {
    sim::ServerOptions options;
    options.path = path;
    options.backend = std::move(backend);
    return options;
}

// What a server that was killed leaves: the socket file, with nobody listening on it.
void leaveStaleSocket(const std::string& path) {
    sim::SocketFile file;
    std::string error;
    auto fd = sim::listenUnix(path, file, error);
    ASSERT_TRUE(fd.valid()) << error;
}

TEST(SimServer, AnswersEveryLineInOrderAndSurvivesBadOnes) {
    ServedBus bus(std::make_shared<EchoBackend>(std::vector<hid::DeviceInfo>{
        {"kp", 0x2047, 0x09BF, 1, u"Vorla", u""}, {"with blank", 0x2047, 0x09BF, 1, u"", u""}}));
    RawClient client(bus.path);
    EXPECT_EQ(client.ask("ENUMERATE 2047 09BF"), "DEVICE kp 2047 09bf 1 566f726c61 -");
    EXPECT_EQ(client.next(), "END");  // a path with a blank cannot be offered
    const std::pair<std::string, std::string> exchanges[] = {
        {"OPEN nowhere", "ERR cannot open nowhere"},
        {"HELLO", "ERR unknown request 'HELLO'"},
        {std::string(5000, 'W'), "ERR line longer than 4096 bytes"},
        {"READ 1 64 0", "ERR unknown handle"},
        {"CLOSE 1", "ERR unknown handle"},
    };
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

TEST(SimServer, TakesOverAStaleSocketButNeverALiveOneOrAFile) {
    auto backend = std::make_shared<EchoBackend>(std::vector<hid::DeviceInfo>{});
    std::string error;
    {
        ServedBus live(backend);
        sim::SimServer rival(serving(live.path, backend));
        EXPECT_FALSE(rival.start(error));
        EXPECT_NE(error.find("already serves"), std::string::npos) << error;
        EXPECT_TRUE(std::filesystem::exists(live.path));  // the rival did not remove it
    }
    std::string stale = tempSocketPath();
    leaveStaleSocket(stale);
    sim::SimServer revived(serving(stale, backend));
    EXPECT_TRUE(revived.start(error)) << error;
    revived.stop();
    EXPECT_FALSE(std::filesystem::exists(stale));

    std::string file = tempSocketPath();
    std::ofstream(file) << "precious";
    sim::SimServer clobberer(serving(file, backend));
    EXPECT_FALSE(clobberer.start(error));
    EXPECT_NE(error.find("not a socket"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::exists(file));
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
