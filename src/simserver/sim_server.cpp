#include "simserver/sim_server.h"

#include <algorithm>

#include "simserver/sim_server_session.h"
#include "support/socket_system.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;
using Status = wire::LineReader::Status;

const std::chrono::milliseconds SimServer::kQueueCheck{50};

namespace {

// The client closed its end: whatever it waits for, nobody will read the answer.
bool clientHungUp(int fd) {
    return sockets::hungUp(fd);
}

}  // namespace

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
        // Connections waiting for a place are looked at often enough to be admitted or refused
        // close to their time.
        int timeout = queue_.empty() ? -1 : static_cast<int>(kQueueCheck.count());
        if (options_.tick) {
            auto now = std::chrono::steady_clock::now();
            if (now >= nextTick) {
                options_.tick();
                nextTick = now + options_.tickInterval;
            }
            auto tick = static_cast<int>(options_.tickInterval.count());
            timeout = timeout < 0 ? tick : std::min(timeout, tick);
        }
        sockets::WaitEntry entries[2] = {{listener_.get()}, {stop_.fd()}};
        int ready = sockets::waitFor(entries, 2, timeout);
        if (entries[1].ready) {
            return;
        }
        if (ready > 0 && entries[0].ready) {
            acceptOne();
        }
        reap(false);
        admitWaiting();
    }
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

bool SimServer::idleTooLong(std::chrono::steady_clock::time_point since, bool answeredOne) const {
    return std::chrono::steady_clock::now() - since >= options_.idleTimeout &&
           (!answeredOne || full());
}

void SimServer::serve(Client& client) {
    // A long READ ends as soon as its client is gone, so that clients that left cannot hold
    // every place of the server for as long as they asked to wait.
    ServerSession session(
        *options_.backend,
        [this, &client] { return stopping_.load() || clientHungUp(client.fd.get()); },
        options_.press);
    wire::LineReader reader;
    auto since = std::chrono::steady_clock::now();
    bool answeredOne = false;
    for (;;) {
        std::string line;
        Status status =
            reader.next(client.fd.get(), line, wire::deadlineIn(kQueueCheck * 2), stop_.fd());
        if (status == Status::Timeout) {
            if (idleTooLong(since, answeredOne)) {
                log(client, answeredOne ? "dropped: idle while others wait"
                                        : "dropped: no request after connecting");
                return;
            }
            continue;
        }
        if (status != Status::Line && status != Status::TooLong) {
            return;
        }
        auto result = status == Status::Line ? session.handle(line) : ServerSession::tooLong();
        if (result.startWatch) {
            log(client, "WATCH");
            becomeWatcher(client);
            return;
        }
        log(client, (status == Status::Line ? line : "(over-long line)") + " -> " + result.summary);
        if (!send(client, result.answer)) {
            return;
        }
        since = std::chrono::steady_clock::now();
        answeredOne = true;
    }
}

}  // namespace lumora_usb_encoder::sim
