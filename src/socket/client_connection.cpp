#include "socket/client_connection.h"

#include <algorithm>

namespace lumora_usb_encoder::hid {

namespace {

using wire::AnswerKind;

// A server that keeps sending DEVICE lines without END is broken, not a big bus.
constexpr size_t kMaxDevices = 4096;

std::string verbName(const wire::Request& request) {
    std::string line = wire::formatRequest(request);
    return line.substr(0, line.find(' '));
}

const char* statusText(wire::LineReader::Status status) {
    switch (status) {
        case wire::LineReader::Status::TooLong:
            return "an over-long line";
        case wire::LineReader::Status::Timeout:
            return "no answer in time";
        case wire::LineReader::Status::Closed:
            return "the server closed the connection";
        default:
            return "a read error";
    }
}

// Enough of an answer to recognise it in a message, not a 4 KB line of hex.
std::string excerpt(const wire::Answer& answer) {
    constexpr size_t kShown = 48;
    std::string line = wire::formatAnswer(answer);
    return "'" + line.substr(0, kShown) + (line.size() > kShown ? "...'" : "'");
}

}  // namespace

TransportConnector overSockets(SocketConnector connector) {
    return [connector =
                std::move(connector)](std::string& error) -> std::unique_ptr<wire::LineTransport> {
        wire::FileDescriptor fd = connector(error);
        if (!fd.valid()) {
            return nullptr;
        }
        return std::make_unique<wire::SocketTransport>(std::move(fd));
    };
}

SocketConnection::SocketConnection(std::string name, TransportConnector connector,
                                   SocketOptions options)
    : name_(std::move(name)), connector_(std::move(connector)), options_(std::move(options)) {}

void SocketConnection::report(const std::string& message) {
    if (options_.diagnostics) {
        options_.diagnostics("HID socket " + name_ + ": " + message);
    }
}

bool SocketConnection::connect(std::string& error) {
    std::lock_guard lock(mutex_);
    if (link_) {
        return true;
    }
    link_ = connector_(error);
    if (!link_) {
        return false;
    }
    ++generation_;
    lastConnectError_.clear();
    return true;
}

bool SocketConnection::usableLocked(uint64_t generation) {
    if (generation != kConnectIfNeeded) {
        return link_ && generation == generation_;
    }
    if (link_) {
        return true;
    }
    std::string error;
    link_ = connector_(error);
    if (!link_) {
        // A scan loop would repeat the same complaint every time; once is enough.
        if (error != lastConnectError_) {
            report(error);
            lastConnectError_ = error;
        }
        return false;
    }
    ++generation_;
    lastConnectError_.clear();
    return true;
}

void SocketConnection::breakLocked(const std::string& reason, bool quiet) {
    if (!quiet) {
        report(reason + "; connection dropped");
    }
    link_.reset();
}

bool SocketConnection::sendLocked(const wire::Request& request, bool quiet) {
    std::string error;
    if (!link_->sendLine(wire::formatRequest(request), wire::deadlineIn(options_.answerMargin),
                         error)) {
        breakLocked(verbName(request) + ": " + error, quiet);
        return false;
    }
    return true;
}

std::optional<wire::Answer> SocketConnection::receiveLocked(std::chrono::milliseconds wait,
                                                            const std::string& what) {
    std::string line;
    auto status = link_->nextLine(line, wire::deadlineIn(wait));
    if (status != wire::LineReader::Status::Line) {
        breakLocked(what + ": " + statusText(status));
        return std::nullopt;
    }
    wire::Answer answer;
    std::string error;
    if (!wire::parseAnswer(line, answer, error)) {
        breakLocked(what + ": unreadable answer (" + error + ")");
        return std::nullopt;
    }
    return answer;
}

std::optional<SocketConnection::Reply> SocketConnection::ask(
    uint64_t generation, const wire::Request& request, std::chrono::milliseconds wait,
    std::initializer_list<AnswerKind> expected) {
    std::lock_guard lock(mutex_);
    if (!usableLocked(generation) || !sendLocked(request)) {
        return std::nullopt;
    }
    std::string what = verbName(request);
    auto answer = receiveLocked(options_.answerMargin + wait, what);
    if (!answer) {
        return std::nullopt;
    }
    if (answer->kind == AnswerKind::Err) {
        report(what + " refused: " + answer->reason);
        return Reply{std::move(*answer), generation_};
    }
    if (std::find(expected.begin(), expected.end(), answer->kind) == expected.end()) {
        breakLocked(what + ": answer out of place " + excerpt(*answer));
        return std::nullopt;
    }
    return Reply{std::move(*answer), generation_};
}

std::vector<DeviceInfo> SocketConnection::enumerate(uint16_t vendorId, uint16_t productId) {
    std::lock_guard lock(mutex_);
    wire::Request request;
    request.verb = wire::Verb::Enumerate;
    request.vendorId = vendorId;
    request.productId = productId;
    bool wasConnected = link_ != nullptr;
    if (!usableLocked(kConnectIfNeeded)) {
        return {};
    }
    // A server restarted since the last request, or one that let an idle connection go (as
    // quillon-sim does during a long wait of ours), has closed the old connection: a scan is the
    // moment to find the new one, so it tries once more on a fresh connection, and only a
    // failure of that is worth a word.
    if (!sendLocked(request, wasConnected) &&
        (!wasConnected || !usableLocked(kConnectIfNeeded) || !sendLocked(request))) {
        return {};
    }
    std::vector<DeviceInfo> devices;
    for (;;) {
        auto answer = receiveLocked(options_.answerMargin, "ENUMERATE");
        if (!answer) {
            return {};
        }
        if (answer->kind == AnswerKind::End) {
            return devices;
        }
        if (answer->kind == AnswerKind::Err) {
            report("ENUMERATE refused: " + answer->reason);
            return {};
        }
        if (answer->kind != AnswerKind::Device || devices.size() == kMaxDevices) {
            breakLocked("ENUMERATE: answer out of place " + excerpt(*answer));
            return {};
        }
        devices.push_back(std::move(answer->device));
    }
}

}  // namespace lumora_usb_encoder::hid
