#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

#include "device/hid_backend.h"
#include "simserver/sim_server_listen.h"
#include "socket/stream_io.h"

namespace lumora_usb_encoder::sim {

struct ServerOptions {
    std::string path;
    // What is served: the simulated bus for quillon-sim, any HID backend in tests.
    std::shared_ptr<hid::Backend> backend;
    // Called every `tickInterval` while the server runs; quillon-sim polls its bus with it so
    // that a keypad coming back is announced to watchers without waiting for a request.
    std::function<void()> tick;
    std::chrono::milliseconds tickInterval{20};
    // Serves PRESS <path> <key>: "" when the key went down, else the reason.
    std::function<std::string(const std::string& path, int key)> press;
    // One line per request, and per event sent to a watcher, when set.
    std::function<void(const std::string&)> log;
    // Request connections served at once; a connection beyond them waits unserved for at most
    // `idleTimeout` for a place, then is told "ERR too many clients".
    size_t maxClients = 64;
    // WATCH connections are counted apart, so watchers never keep a request from being served.
    size_t maxWatchers = 64;
    // A client that stops reading its answers for this long is dropped.
    std::chrono::milliseconds sendTimeout{5000};
    // A client with no complete request this long after connecting is dropped, and so is one
    // this long idle between requests while others wait for its place: silent connections
    // cannot lock the server.
    std::chrono::milliseconds idleTimeout{2000};
};

// Serves a HID backend on a Unix socket: a thread per client, requests answered in order, WATCH
// connections fed the bus's arrivals and removals.
class SimServer {
  public:
    explicit SimServer(ServerOptions options);
    ~SimServer() { stop(); }
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    bool start(std::string& error);
    // Ends every connection, waits for their threads, removes the socket file. Idempotent.
    void stop();

  private:
    struct Client {
        int id = 0;
        hid::wire::FileDescriptor fd;
        std::thread thread;
        std::atomic<bool> done{false};
        std::atomic<bool> watcher{false};
    };

    static const std::chrono::milliseconds kQueueCheck;

    struct Waiting {
        hid::wire::FileDescriptor fd;
        std::chrono::steady_clock::time_point since;
    };

    void acceptLoop();
    void acceptOne();
    void admitWaiting();
    void startClient(hid::wire::FileDescriptor fd);
    void refuse(hid::wire::FileDescriptor fd);
    void reap(bool all);
    bool full() const { return serving_.load() >= options_.maxClients || waiting_.load() > 0; }
    bool idleTooLong(std::chrono::steady_clock::time_point since, bool answeredOne) const;
    void serve(Client& client);
    void becomeWatcher(Client& client);
    void watch(Client& client);
    bool send(Client& client, const std::string& text);
    void log(const Client& client, const std::string& text);

    ServerOptions options_;
    hid::wire::FileDescriptor listener_;
    SocketFile socketFile_;
    hid::wire::WakePipe stop_;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    std::list<std::unique_ptr<Client>> clients_;  // the accept thread's alone
    std::deque<Waiting> queue_;                   // the accept thread's alone
    std::atomic<size_t> serving_{0};              // request connections with a thread
    std::atomic<size_t> waiting_{0};              // queue_.size(), for the client threads
    std::atomic<size_t> watching_{0};
    int nextClient_ = 1;
};

}  // namespace lumora_usb_encoder::sim
