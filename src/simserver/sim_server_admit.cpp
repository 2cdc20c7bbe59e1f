#include <string>

#include "simserver/sim_server.h"
#include "support/socket_system.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;

void SimServer::acceptOne() {
    wire::FileDescriptor fd(sockets::accept(listener_.get()));
    if (!fd.valid()) {
        return;
    }
    if (queue_.empty() && serving_.load() < options_.maxClients) {
        startClient(std::move(fd));
    } else if (queue_.size() >= options_.maxClients) {
        refuse(std::move(fd));
    } else {
        // Its request stays unread in the socket until a place is free: a client in a hurry
        // waits a little instead of being refused while silent connections time out.
        queue_.push_back({std::move(fd), std::chrono::steady_clock::now()});
        waiting_ = queue_.size();
    }
}

void SimServer::admitWaiting() {
    while (!queue_.empty() && serving_.load() < options_.maxClients) {
        startClient(std::move(queue_.front().fd));
        queue_.pop_front();
    }
    auto now = std::chrono::steady_clock::now();
    while (!queue_.empty() && now - queue_.front().since >= options_.idleTimeout) {
        refuse(std::move(queue_.front().fd));
        queue_.pop_front();
    }
    waiting_ = queue_.size();
}

void SimServer::refuse(wire::FileDescriptor fd) {
    std::string ignored;
    wire::sendLine(fd.get(), "ERR too many clients", wire::deadlineIn(options_.sendTimeout),
                   ignored);
}

void SimServer::startClient(wire::FileDescriptor fd) {
    auto client = std::make_unique<Client>();
    client->id = nextClient_++;
    client->fd = std::move(fd);
    Client& ref = *client;
    clients_.push_back(std::move(client));
    ++serving_;
    ref.thread = std::thread([this, &ref] {
        serve(ref);
        ref.fd.reset();
        if (!ref.watcher) {
            --serving_;
        }
        ref.done = true;
    });
}

void SimServer::becomeWatcher(Client& client) {
    if (++watching_ > options_.maxWatchers) {
        --watching_;
        send(client, "ERR too many watchers\n");
        return;
    }
    // Its place among the request connections is free from here on.
    client.watcher = true;
    --serving_;
    watch(client);
    --watching_;
}

}  // namespace lumora_usb_encoder::sim
