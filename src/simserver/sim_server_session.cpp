#include "simserver/sim_server_session.h"

#include <algorithm>
#include <vector>

#include "socket/codec.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;
using wire::AnswerKind;
using Result = ServerSession::Result;

namespace {

// A client cannot make the server hold more devices than any program of ours ever opens.
constexpr size_t kMaxHandles = 64;
// A long READ waits in slices so that a shutdown need not wait for it.
constexpr uint32_t kReadSliceMs = 100;

// hidapi reads at most this many units of a device string; a longer one would not fit a line.
constexpr size_t kMaxStringUnits = 255;

// Handles are unique across all sessions of the process, which keeps the request log readable.
std::atomic<uint64_t> nextHandle{1};

Result single(const wire::Answer& answer) {
    std::string line = wire::formatAnswer(answer);
    return {line + "\n", line, false};
}

Result err(const std::string& reason) {
    wire::Answer answer;
    answer.kind = AnswerKind::Err;
    answer.reason = reason;
    return single(answer);
}

Result bare(AnswerKind kind, std::string token = {}) {
    wire::Answer answer;
    answer.kind = kind;
    answer.token = std::move(token);
    return single(answer);
}

}  // namespace

ServerSession::ServerSession(hid::Backend& backend, std::function<bool()> stopping, PressKey press)
    : backend_(backend), stopping_(std::move(stopping)), press_(std::move(press)) {}

Result ServerSession::tooLong() {
    return err("line longer than " + std::to_string(wire::kMaxLineLength) + " bytes");
}

Result ServerSession::handle(std::string_view line) {
    wire::Request request;
    std::string error;
    if (!wire::parseRequest(line, request, error)) {
        return err(error);
    }
    switch (request.verb) {
        case wire::Verb::Enumerate:
            return enumerate(request);
        case wire::Verb::Open:
            return open(request);
        case wire::Verb::Watch:
            return {"", "", true};
        case wire::Verb::Press:
            return press(request);
        case wire::Verb::Close:
            return devices_.erase(request.handle) ? bare(AnswerKind::Ok) : err("unknown handle");
        default:
            return onDevice(request);
    }
}

Result ServerSession::enumerate(const wire::Request& request) {
    Result result;
    size_t count = 0;
    for (const hid::DeviceInfo& info : backend_.enumerate(request.vendorId, request.productId)) {
        // A path the protocol cannot carry would break the line; such a device is not offered.
        if (!wire::isToken(info.path)) {
            continue;
        }
        wire::Answer answer;
        answer.kind = AnswerKind::Device;
        answer.device = info;
        answer.device.manufacturer.resize(std::min(info.manufacturer.size(), kMaxStringUnits));
        answer.device.product.resize(std::min(info.product.size(), kMaxStringUnits));
        std::string line = wire::formatAnswer(answer);
        if (line.size() > wire::kMaxLineLength) {
            continue;
        }
        result.answer += line + "\n";
        ++count;
    }
    result.answer += "END\n";
    result.summary = std::to_string(count) + " device" + (count == 1 ? "" : "s") + ", END";
    return result;
}

Result ServerSession::open(const wire::Request& request) {
    if (devices_.size() >= kMaxHandles) {
        return err("too many open handles");
    }
    auto device = backend_.openPath(request.path);
    if (!device) {
        return err("cannot open " + request.path);
    }
    std::string handle = std::to_string(nextHandle++);
    devices_.emplace(handle, std::move(device));
    return bare(AnswerKind::Ok, handle);
}

Result ServerSession::press(const wire::Request& request) {
    if (!press_) {
        return err("no keys to press here");
    }
    std::string problem = press_(request.path, static_cast<int>(request.key));
    return problem.empty() ? bare(AnswerKind::Ok) : err(problem);
}

Result ServerSession::onDevice(const wire::Request& request) {
    auto found = devices_.find(request.handle);
    if (found == devices_.end()) {
        return err("unknown handle");
    }
    hid::Device& device = *found->second;
    switch (request.verb) {
        case wire::Verb::Write:
            return write(device, request);
        case wire::Verb::Read:
            return read(device, request);
        default:
            return string(device, request);
    }
}

Result ServerSession::write(hid::Device& device, const wire::Request& request) {
    int written = device.write(request.bytes.data(), request.bytes.size());
    if (written < 0) {
        return err("write failed");
    }
    return bare(AnswerKind::Ok, std::to_string(written));
}

Result ServerSession::read(hid::Device& device, const wire::Request& request) {
    if (request.timeoutMs > kMaxReadWaitMs) {
        return err("timeout above " + std::to_string(kMaxReadWaitMs) + " ms");
    }
    // More than one DATA line can carry is never a HID report; the rest of such a report would
    // be lost either way.
    std::vector<uint8_t> buffer(std::min(request.maxLength, wire::kMaxDataLength));
    uint32_t waited = 0;
    int got = 0;
    do {
        uint32_t slice = std::min(request.timeoutMs - waited, kReadSliceMs);
        got = device.readTimeout(buffer.data(), buffer.size(), static_cast<int>(slice));
        waited += slice;
    } while (got == 0 && waited < request.timeoutMs && !(stopping_ && stopping_()));
    if (got < 0) {
        return err("read failed");
    }
    if (got == 0) {
        return bare(AnswerKind::None);
    }
    wire::Answer answer;
    answer.kind = AnswerKind::Data;
    answer.bytes.assign(buffer.begin(), buffer.begin() + std::min<size_t>(got, buffer.size()));
    return single(answer);
}

Result ServerSession::string(hid::Device& device, const wire::Request& request) {
    wire::Answer answer;
    answer.kind = AnswerKind::String;
    int status = request.which == wire::StringKind::Manufacturer
                     ? device.manufacturerString(answer.text)
                     : device.productString(answer.text);
    answer.text.resize(std::min(answer.text.size(), kMaxStringUnits));
    return status == 0 ? single(answer) : err("no string");
}

}  // namespace lumora_usb_encoder::sim
