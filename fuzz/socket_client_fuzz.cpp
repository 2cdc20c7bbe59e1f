// The socket HID client facing a server that says anything at all: the input is everything the
// server sends on each connection, after which it hangs up. The client must end every call
// with a result, without reading past a line or waiting for ever.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "socket/codec.h"
#include "socket/line_transport.h"
#include "socket/socket_backend.h"

namespace hid = lumora_usb_encoder::hid;
namespace wire = hid::wire;

namespace {

// The server's whole answer stream, there before the first request, handed to the client's
// line reader a read's worth at a time as a socket would; then the server hangs up. Requests
// go nowhere: this server answers whatever is asked.
class RecordedServer final : public wire::LineTransport {
  public:
    explicit RecordedServer(std::string_view stream) : rest_(stream) {}

    bool sendLine(std::string_view, wire::Deadline, std::string&) override { return true; }

    wire::LineReader::Status nextLine(std::string& line, wire::Deadline, int) override {
        for (;;) {
            if (auto status = reader_.takeBuffered(line)) {
                return *status;
            }
            if (rest_.empty()) {
                return wire::LineReader::Status::Closed;
            }
            size_t count = std::min(rest_.size(), wire::kMaxLineLength);
            reader_.append(rest_.substr(0, count));
            rest_.remove_prefix(count);
        }
    }

  private:
    std::string_view rest_;
    wire::LineReader reader_;
};

// The watch is left out: it is a thread around the same answer parser, and starting a thread
// per input would cost more than everything else here.
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    hid::SocketBackend backend(
        "fuzz",
        hid::TransportConnector([stream](std::string&) -> std::unique_ptr<wire::LineTransport> {
            return std::make_unique<RecordedServer>(stream);
        }));
    exercise(backend);
    return 0;
}
