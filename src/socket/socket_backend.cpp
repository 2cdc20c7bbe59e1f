#include "socket/socket_backend.h"

#include "socket/client_device.h"
#include "socket/client_watch.h"

namespace lumora_usb_encoder::hid {

SocketBackend::SocketBackend(std::string name, SocketConnector connector, SocketOptions options)
    : SocketBackend(std::move(name), overSockets(std::move(connector)), std::move(options)) {}

SocketBackend::SocketBackend(std::string name, TransportConnector connector, SocketOptions options)
    : connection_(std::make_shared<SocketConnection>(std::move(name), std::move(connector),
                                                     std::move(options))) {}

std::vector<DeviceInfo> SocketBackend::enumerate(uint16_t vendorId, uint16_t productId) {
    return connection_->enumerate(vendorId, productId);
}

std::unique_ptr<Device> SocketBackend::openPath(const std::string& path) {
    // A path with a blank or a control character cannot travel in an OPEN line.
    if (!wire::isToken(path)) {
        return nullptr;
    }
    wire::Request request;
    request.verb = wire::Verb::Open;
    request.path = path;
    auto reply = connection_->ask(SocketConnection::kConnectIfNeeded, request,
                                  std::chrono::milliseconds(0), {wire::AnswerKind::Ok});
    if (!reply || reply->answer.kind != wire::AnswerKind::Ok) {
        return nullptr;
    }
    if (reply->answer.token.empty()) {
        connection_->report("OPEN: OK without a handle");
        return nullptr;
    }
    return std::make_unique<SocketDevice>(connection_, reply->generation, reply->answer.token);
}

std::unique_ptr<Watch> SocketBackend::watch(BusEventHandler handler) {
    return SocketWatch::start(connection_, std::move(handler));
}

std::shared_ptr<Backend> makeSocketBackend(const std::string& path, std::string& error,
                                           SocketOptions options) {
    auto backend = std::make_shared<SocketBackend>(
        path, [path](std::string& why) { return wire::connectUnix(path, why); },
        std::move(options));
    if (!backend->connect(error)) {
        return nullptr;
    }
    return backend;
}

}  // namespace lumora_usb_encoder::hid
