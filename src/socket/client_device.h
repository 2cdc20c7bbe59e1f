#pragma once

#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "socket/client_connection.h"

namespace lumora_usb_encoder::hid {

// A device opened through the server: a handle valid on one connection only.
class SocketDevice final : public Device {
  public:
    SocketDevice(std::shared_ptr<SocketConnection> connection, uint64_t generation,
                 std::string handle);
    ~SocketDevice() override;

    int write(const uint8_t* data, size_t length) override;
    int read(uint8_t* data, size_t length) override { return readTimeout(data, length, 0); }
    // A negative time-out (hidapi's "block") is refused: every wait here has an end.
    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override;
    int manufacturerString(std::u16string& text) override;
    int productString(std::u16string& text) override;

  private:
    int string(wire::StringKind which, std::u16string& text);
    wire::Request request(wire::Verb verb) const;

    std::shared_ptr<SocketConnection> connection_;
    uint64_t generation_;
    std::string handle_;
};

}  // namespace lumora_usb_encoder::hid
