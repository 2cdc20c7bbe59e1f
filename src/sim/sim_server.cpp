#include "sim/sim_server.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "sim/sim_server_session.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;
using Status = wire::LineReader::Status;

SimServer::SimServer(ServerOptions options) : options_(std::move(options)) {}

bool SimServer::start(std::string& error) {
    if (!options_.backend || !stop_.valid()) {
        error = "server has no backend or no wake pipe";
        return false;
    }
    listener_ = listenUnix(options_.path, socketFile_, error);
    if (!listener_.valid()) {
        return false;
    }
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void SimServer::stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    // Never drained: every thread polling it sees the stop, however late it looks.
    stop_.wake();
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    reap(true);
    listener_.reset();
    removeSocketFile(socketFile_);
}

void SimServer::acceptLoop() {
    auto nextTick = std::chrono::steady_clock::now();
    for (;;) {
        int timeout = -1;
        if (options_.tick) {
            auto now = std::chrono::steady_clock::now();
            if (now >= nextTick) {
                options_.tick();
                nextTick = now + options_.tickInterval;
            }
            timeout = static_cast<int>(options_.tickInterval.count());
        }
        pollfd entries[2] = {{listener_.get(), POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        int ready = ::poll(entries, 2, timeout);
        if (entries[1].revents & POLLIN) {
            return;
        }
        if (ready > 0 && (entries[0].revents & POLLIN)) {
            acceptOne();
        }
        reap(false);
    }
}

void SimServer::acceptOne() {
    wire::FileDescriptor fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd.valid()) {
        return;
    }
    if (clients_.size() >= options_.maxClients) {
        std::string ignored;
        wire::sendLine(fd.get(), "ERR too many clients", wire::deadlineIn(options_.sendTimeout),
                       ignored);
        return;
    }
    auto client = std::make_unique<Client>();
    client->id = nextClient_++;
    client->fd = std::move(fd);
    Client& ref = *client;
    clients_.push_back(std::move(client));
    ref.thread = std::thread([this, &ref] {
        serve(ref);
        ref.fd.reset();
        ref.done = true;
    });
}

void SimServer::reap(bool all) {
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (all || (*it)->done) {
            (*it)->thread.join();
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void SimServer::log(const Client& client, const std::string& text) {
    if (options_.log) {
        options_.log("client " + std::to_string(client.id) + ": " + text);
    }
}

bool SimServer::send(Client& client, const std::string& text) {
    std::string error;
    if (!wire::sendAll(client.fd.get(), text, wire::deadlineIn(options_.sendTimeout), error)) {
        log(client, "dropped: " + error);
        return false;
    }
    return true;
}

void SimServer::serve(Client& client) {
    ServerSession session(
        *options_.backend, [this] { return stopping_.load(); }, options_.press);
    wire::LineReader reader;
    for (;;) {
        std::string line;
        Status status = reader.next(client.fd.get(), line, std::nullopt, stop_.fd());
        if (status != Status::Line && status != Status::TooLong) {
            return;
        }
        auto result = status == Status::Line ? session.handle(line) : ServerSession::tooLong();
        if (result.startWatch) {
            log(client, "WATCH");
            watch(client);
            return;
        }
        log(client, (status == Status::Line ? line : "(over-long line)") + " -> " + result.summary);
        if (!send(client, result.answer)) {
            return;
        }
    }
}

}  // namespace lumora_usb_encoder::sim
