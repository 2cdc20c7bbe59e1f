#include <deque>
#include <mutex>
#include <utility>

#include "simserver/sim_server.h"
#include "socket/answer.h"
#include "support/socket_system.h"

namespace lumora_usb_encoder::sim {

namespace wire = hid::wire;

namespace {

// Events arrive on whatever thread changes the bus; they are queued here and written by the
// connection's own thread, so a watcher that reads slowly never holds up the bus.
struct EventQueue {
    std::mutex mutex;
    std::deque<std::string> lines;
    wire::WakePipe pipe;

    void push(std::string line) {
        {
            std::lock_guard lock(mutex);
            lines.push_back(std::move(line));
        }
        pipe.wake();
    }
    std::deque<std::string> take() {
        pipe.drain();
        std::lock_guard lock(mutex);
        return std::exchange(lines, {});
    }
};

// The watcher sends nothing we read any more; this only notices that it has gone.
bool peerGone(int fd) {
    char scratch[256];
    size_t n = 0;
    auto result = sockets::receiveSome(fd, scratch, sizeof scratch, n);
    return result == sockets::Io::Closed || result == sockets::Io::Failed;
}

}  // namespace

void SimServer::watch(Client& client) {
    // Shared with the handler: the bus may still be calling it while the watch is torn down.
    auto queue = std::make_shared<EventQueue>();
    auto subscription =
        options_.backend->watch([queue](hid::BusEvent event, const std::string& path) {
            wire::Answer answer;
            answer.kind = event == hid::BusEvent::Arrival ? wire::AnswerKind::Arrival
                                                          : wire::AnswerKind::Removal;
            answer.token = path;
            if (wire::isToken(path)) {
                queue->push(wire::formatAnswer(answer) + "\n");
            }
        });
    if (!subscription || !queue->pipe.valid()) {
        send(client, "ERR this bus cannot be watched\n");
        return;
    }
    if (!send(client, "OK\n")) {
        return;
    }
    for (;;) {
        sockets::WaitEntry entries[3] = {{client.fd.get()}, {queue->pipe.fd()}, {stop_.fd()}};
        if (sockets::waitFor(entries, 3, -1) < 0) {
            return;
        }
        if (entries[2].ready || (entries[0].ready && peerGone(client.fd.get()))) {
            return;
        }
        if (entries[1].ready) {
            for (const std::string& line : queue->take()) {
                log(client, "event " + line.substr(0, line.size() - 1));
                if (!send(client, line)) {
                    return;
                }
            }
        }
    }
}

}  // namespace lumora_usb_encoder::sim
