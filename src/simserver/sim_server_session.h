#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "device/hid_backend.h"
#include "socket/answer.h"
#include "socket/request.h"

namespace lumora_usb_encoder::sim {

// One client connection's side of the wire protocol, without the socket: request lines in,
// answer lines out, executed against any HID backend. Handles belong to the session and are
// closed with it, so a client that dies leaves nothing open.
class ServerSession {
  public:
    // The longest a READ may ask to wait; more is answered with ERR. Nothing of ours waits
    // longer than a few seconds for a report, and a wait of days would only hold a place.
    static constexpr uint32_t kMaxReadWaitMs = 60000;

    // Presses a key of the keypad at `path`; an empty answer when done, else the reason.
    using PressKey = std::function<std::string(const std::string& path, int key)>;

    // `stopping` lets a long READ end early (the server shuts down, the client has gone);
    // `press` serves PRESS (without it PRESS is refused).
    ServerSession(hid::Backend& backend, std::function<bool()> stopping = {}, PressKey press = {});

    struct Result {
        std::string answer;       // one or more lines, each with its '\n'
        std::string summary;      // the first answer line, for the request log
        bool startWatch = false;  // a WATCH: the caller answers it and follows the bus
    };
    Result handle(std::string_view line);
    // The answer to a line that was longer than the protocol allows.
    static Result tooLong();

    size_t openHandles() const { return devices_.size(); }

  private:
    Result enumerate(const hid::wire::Request& request);
    Result open(const hid::wire::Request& request);
    Result write(hid::Device& device, const hid::wire::Request& request);
    Result read(hid::Device& device, const hid::wire::Request& request);
    Result string(hid::Device& device, const hid::wire::Request& request);
    Result onDevice(const hid::wire::Request& request);
    Result press(const hid::wire::Request& request);

    hid::Backend& backend_;
    std::function<bool()> stopping_;
    PressKey press_;
    std::map<std::string, std::unique_ptr<hid::Device>> devices_;
};

}  // namespace lumora_usb_encoder::sim
