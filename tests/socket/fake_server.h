#pragma once

#include <sys/socket.h>

#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "device/socket_connection.h"
#include "device/socket_io.h"

namespace lumora_usb_encoder::testing {

// A server that answers each request line with whatever its script says, however wrong: the
// other end of a socket pair per connection, so no file is involved.
class FakeServer {
  public:
    static constexpr const char* kHangUp = "\x01hang up";
    // The bytes to send for a request line (empty: stay silent), or kHangUp.
    using Script = std::function<std::string(const std::string& line)>;

    explicit FakeServer(Script script) : script_(std::move(script)) {}
    ~FakeServer() {
        stop_.wake();
        for (auto& thread : threads_) {
            thread.join();
        }
    }

    hid::SocketConnector connector() {
        return [this](std::string& error) {
            int fds[2];
            if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
                error = "socketpair failed";
                return hid::wire::FileDescriptor();
            }
            ++connections;
            std::lock_guard lock(mutex_);
            threads_.emplace_back([this, fd = fds[1]] { serve(hid::wire::FileDescriptor(fd)); });
            return hid::wire::FileDescriptor(fds[0]);
        };
    }

    std::atomic<int> connections{0};
    std::atomic<int> requests{0};

  private:
    void serve(hid::wire::FileDescriptor fd) {
        hid::wire::LineReader reader;
        std::string line;
        while (reader.next(fd.get(), line, std::nullopt, stop_.fd()) ==
               hid::wire::LineReader::Status::Line) {
            ++requests;
            std::string answer = script_(line);
            if (answer == kHangUp) {
                return;
            }
            std::string ignored;
            hid::wire::sendAll(fd.get(), answer, hid::wire::deadlineIn(std::chrono::seconds(5)),
                               ignored);
        }
    }

    Script script_;
    hid::wire::WakePipe stop_;
    std::mutex mutex_;
    std::list<std::thread> threads_;
};

}  // namespace lumora_usb_encoder::testing
