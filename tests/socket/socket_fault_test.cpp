#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "socket/socket_backend.h"

namespace lumora_usb_encoder::testing {
namespace {

using namespace std::chrono_literals;
namespace wire = hid::wire;

constexpr std::string_view kHangUp = "\x01hang up";

// A server that has said its piece, however wrong, before the client asks anything: connection n
// finds streams[n] waiting in a socket pair. A stream ending in kHangUp ends the server's side
// there; any other is followed by silence.
struct Client {
    std::vector<std::string> streams;
    std::vector<wire::FileDescriptor> serverEnds;
    std::vector<std::string> diagnostics;
    std::shared_ptr<hid::SocketBackend> backend;

    explicit Client(std::vector<std::string> said) : streams(std::move(said)) {
        hid::SocketOptions options;
        options.answerMargin = 150ms;  // real time: a silent server costs this much per case
        options.diagnostics = [this](const std::string& m) { diagnostics.push_back(m); };
        backend = std::make_shared<hid::SocketBackend>(
            "fake", [this](std::string& error) { return connect(error); }, options);
    }
    wire::FileDescriptor connect(std::string& error) {
        int fds[2];
        if (serverEnds.size() == streams.size() ||
            ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
            error = "refused";
            return {};
        }
        std::string stream = streams[serverEnds.size()];
        serverEnds.emplace_back(fds[1]);
        bool hangUp = stream.ends_with(kHangUp);
        stream.resize(stream.size() - (hangUp ? kHangUp.size() : 0));
        wire::sendAll(fds[1], stream, wire::deadlineIn(1s), error);
        if (hangUp) {
            ::shutdown(fds[1], SHUT_WR);
        }
        return wire::FileDescriptor(fds[0]);
    }
    bool said(const std::string& part) const {
        return std::any_of(diagnostics.begin(), diagnostics.end(),
                           [&](const std::string& d) { return d.find(part) != std::string::npos; });
    }
};

enum class Call { Write, Read, Manufacturer };

struct DeviceCase {
    const char* name;
    Call call;
    std::string answer;  // after the answer to OPEN
    int expected;
    const char* diagnostic;  // nullptr: none expected
};

int perform(hid::Device& device, Call call) {
    uint8_t report[64] = {0x3F, 0x40};
    std::u16string text;
    return call == Call::Write  ? device.write(report, 64)
           : call == Call::Read ? device.readTimeout(report, 64, 10)
                                : device.manufacturerString(text);
}

TEST(SocketFaults, ABrokenServerGivesHidFailuresNeverAHang) {
    const DeviceCase cases[] = {
        {"well-formed data", Call::Read, "DATA 3f40\nOK\n", 2, nullptr},
        {"closes mid-exchange", Call::Write, std::string(kHangUp), -1, "closed the connection"},
        {"stops mid-line", Call::Read, "DATA 3f", -1, "no answer in time"},
        {"never answers", Call::Write, "", -1, "no answer in time"},
        {"bad hex", Call::Read, "DATA 3g40\n", -1, "unreadable answer"},
        {"over-long line", Call::Read, std::string(5000, 'A') + "\n", -1, "over-long line"},
        {"unknown answer", Call::Write, "YES 64\n", -1, "unreadable answer"},
        {"answer of another request", Call::Write, "NONE\n", -1, "out of place"},
        {"more data than asked", Call::Read, "DATA " + std::string(130, 'a') + "\n", -1,
         "65 bytes"},
        {"more written than sent", Call::Write, "OK 65\n", -1, "count"},
        {"count missing", Call::Write, "OK\n", -1, "count"},
        {"refused", Call::Write, "ERR unplugged\n", -1, "WRITE refused: unplugged"},
        {"bad UTF-8 text", Call::Manufacturer, "STRING c0af\n", -1, "unreadable answer"}};
    for (const auto& c : cases) {
        Client client({"OK h1\n" + c.answer});
        auto device = client.backend->openPath("kp");
        ASSERT_NE(device, nullptr) << c.name;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(perform(*device, c.call), c.expected) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << c.name;
        EXPECT_TRUE(c.diagnostic ? client.said(c.diagnostic) : client.diagnostics.empty())
            << c.name << ": " << ::testing::PrintToString(client.diagnostics);
    }
}

TEST(SocketFaults, AfterAFailureOldHandlesStayDeadAndTheNextScanReconnects) {
    Client client({"OK h1\n???\n", "DEVICE kp 2047 09bf 1 - -\nEND\nOK h1\nNONE\n"});
    auto device = client.backend->openPath("kp");
    ASSERT_NE(device, nullptr);
    uint8_t report[64] = {};
    EXPECT_EQ(device->read(report, 64), -1);
    // The handle belonged to the dropped connection: nothing is sent for it any more.
    EXPECT_EQ(device->read(report, 64), -1);
    EXPECT_EQ(client.serverEnds.size(), 1u);
    EXPECT_EQ(client.backend->enumerate(0x2047, 0x09BF).size(), 1u);
    EXPECT_EQ(client.serverEnds.size(), 2u);
    auto fresh = client.backend->openPath("kp");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->read(report, 64), 0);
}

TEST(SocketFaults, ABrokenScanFindsNothing) {
    const std::pair<const char*, std::string> cases[] = {
        {"DEVICE lines but no END", "DEVICE kp 2047 09bf 1 - -\n"},
        {"hangs up after a DEVICE", "DEVICE kp 2047 09bf 1 - -\n" + std::string(kHangUp)},
        {"a bad DEVICE", "DEVICE kp 2047 09bf one - -\nEND\n"},
        {"refused", "ERR busy\n"},
        {"something else", "OK\n"},
        {"never answers", ""}};
    for (const auto& [name, answer] : cases) {
        Client client({answer});
        EXPECT_TRUE(client.backend->enumerate(0, 0).empty()) << name;
        EXPECT_FALSE(client.diagnostics.empty()) << name;
    }
}

TEST(SocketFaults, AWatchTheServerRefusesOrAbandonsEndsQuietly) {
    const std::pair<const char*, std::string> answers[] = {
        {"Refused", "ERR no events here\n"},
        {"Silent", ""},
        {"EventBeforeTheAnswer", "ARRIVAL kp\n"},
    };
    for (const auto& [name, answer] : answers) {
        SCOPED_TRACE(name);
        Client client({answer});
        EXPECT_EQ(client.backend->watch([](hid::BusEvent, const std::string&) {}), nullptr);
        EXPECT_TRUE(client.said("WATCH"));
    }
}

}  // namespace
}  // namespace lumora_usb_encoder::testing
