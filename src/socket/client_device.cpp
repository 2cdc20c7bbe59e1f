#include "socket/client_device.h"

#include <algorithm>
#include <chrono>

#include "socket/codec.h"

namespace lumora_usb_encoder::hid {

using std::chrono::milliseconds;
using wire::AnswerKind;

SocketDevice::SocketDevice(std::shared_ptr<SocketConnection> connection, uint64_t generation,
                           std::string handle)
    : connection_(std::move(connection)), generation_(generation), handle_(std::move(handle)) {}

SocketDevice::~SocketDevice() {
    connection_->ask(generation_, request(wire::Verb::Close), milliseconds(0), {AnswerKind::Ok});
}

wire::Request SocketDevice::request(wire::Verb verb) const {
    wire::Request r;
    r.verb = verb;
    r.handle = handle_;
    return r;
}

int SocketDevice::write(const uint8_t* data, size_t length) {
    // Nothing to send cannot be written as a WRITE line; hidapi refuses it too.
    if (length == 0 || length > wire::kMaxDataLength) {
        return -1;
    }
    auto r = request(wire::Verb::Write);
    r.bytes.assign(data, data + length);
    auto reply = connection_->ask(generation_, r, milliseconds(0), {AnswerKind::Ok});
    if (!reply || reply->answer.kind != AnswerKind::Ok) {
        return -1;
    }
    auto count = wire::decodeCount(reply->answer.token, static_cast<uint32_t>(length));
    if (!count) {
        connection_->report("WRITE: count '" + reply->answer.token.substr(0, 16) +
                            "' is not a number up to " + std::to_string(length));
        return -1;
    }
    return static_cast<int>(*count);
}

int SocketDevice::readTimeout(uint8_t* data, size_t length, int timeoutMs) {
    if (timeoutMs < 0 || length == 0) {
        return -1;
    }
    auto r = request(wire::Verb::Read);
    r.maxLength = static_cast<uint32_t>(std::min<size_t>(length, wire::kMaxReadRequest));
    r.timeoutMs = static_cast<uint32_t>(timeoutMs);
    auto reply = connection_->ask(generation_, r, milliseconds(timeoutMs),
                                  {AnswerKind::Data, AnswerKind::None});
    if (!reply || reply->answer.kind == AnswerKind::Err) {
        return -1;
    }
    const auto& bytes = reply->answer.bytes;
    if (bytes.size() > r.maxLength) {
        connection_->report("READ: " + std::to_string(bytes.size()) + " bytes for a READ of " +
                            std::to_string(r.maxLength));
        return -1;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    return static_cast<int>(bytes.size());
}

int SocketDevice::string(wire::StringKind which, std::u16string& text) {
    auto r = request(wire::Verb::String);
    r.which = which;
    auto reply = connection_->ask(generation_, r, milliseconds(0), {AnswerKind::String});
    if (!reply || reply->answer.kind != AnswerKind::String) {
        return -1;
    }
    text = reply->answer.text;
    return 0;
}

int SocketDevice::manufacturerString(std::u16string& text) {
    return string(wire::StringKind::Manufacturer, text);
}

int SocketDevice::productString(std::u16string& text) {
    return string(wire::StringKind::Product, text);
}

}  // namespace lumora_usb_encoder::hid
