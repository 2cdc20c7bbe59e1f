// The socket HID client facing a server that says anything at all: the input is everything the
// server sends on each connection, after which it hangs up. The client must end every call
// with a result, without reading past a line or waiting for ever.
#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "device/socket_backend.h"
#include "device/socket_io.h"

namespace hid = lumora_usb_encoder::hid;
namespace wire = hid::wire;

namespace {

// Well inside a socket pair's buffer, so the whole answer stream is there before the first
// request and the fake server needs no thread.
constexpr size_t kMaxInput = 64 * 1024;

// The server's end stays open in `serverEnds` so that the client's requests have somewhere to
// go; the hang-up is a shutdown of the server's writing only.
wire::FileDescriptor preloaded(std::string_view stream,
                               std::vector<wire::FileDescriptor>& serverEnds, std::string& error) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        error = "socketpair";
        return {};
    }
    wire::FileDescriptor client(fds[0]);
    wire::FileDescriptor server(fds[1]);
    std::string ignored;
    wire::sendAll(server.get(), stream, wire::deadlineIn(std::chrono::seconds(1)), ignored);
    ::shutdown(server.get(), SHUT_WR);
    serverEnds.push_back(std::move(server));
    return client;
}

void exercise(hid::Backend& backend) {
    (void)backend.enumerate(0, 0);
    auto device = backend.openPath("kp");
    if (device) {
        uint8_t report[64] = {0x3F, 0x40};
        std::u16string text;
        device->write(report, sizeof report);
        device->read(report, sizeof report);
        device->readTimeout(report, sizeof report, 10);
        device->manufacturerString(text);
        device->productString(text);
    }
    auto watch = backend.watch([](hid::BusEvent, const std::string& path) {
        if (path.empty()) {
            std::abort();  // an event path is never empty
        }
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) {
        return 0;
    }
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    hid::SocketOptions options;
    options.answerMargin = std::chrono::milliseconds(20);
    std::vector<wire::FileDescriptor> serverEnds;  // outlives the backend
    {
        hid::SocketBackend backend(
            "fuzz",
            [stream, &serverEnds](std::string& error) {
                return preloaded(stream, serverEnds, error);
            },
            options);
        exercise(backend);
    }
    return 0;
}
