#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <deque>
#include <mutex>
#include <utility>

#include "simserver/sim_server.h"
#include "socket/answer.h"

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
    ssize_t n = ::recv(fd, scratch, sizeof scratch, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
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
        pollfd entries[3] = {
            {client.fd.get(), POLLIN, 0}, {queue->pipe.fd(), POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (::poll(entries, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((entries[2].revents & POLLIN) || (entries[0].revents && peerGone(client.fd.get()))) {
            return;
        }
        if (entries[1].revents & POLLIN) {
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
