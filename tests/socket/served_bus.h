#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/world.h"
#include "simserver/sim_server.h"
#include "socket/socket_backend.h"
#include "temp_socket.h"

namespace lumora_usb_encoder::testing {

// A backend served by a SimServer on a temporary socket, and the diagnostics of the clients
// made for it: a test's own bus, or a world's keypad with every command it is sent traced.
struct ServedBus {
    std::string path = tempSocketPath();
    sim::ServerOptions serverOptions;
    std::unique_ptr<sim::SimServer> server;
    std::vector<std::string> diagnostics;
    std::mutex diagnosticsMutex;

    explicit ServedBus(std::shared_ptr<hid::Backend> backend) {
        serverOptions.path = path;
        serverOptions.backend = std::move(backend);
        restart();
    }
    explicit ServedBus(World& world) : ServedBus(world.backend()) {}

    // A fresh server on the same socket and bus, as when quillon-sim is started again.
    void restart() {
        server.reset();
        server = std::make_unique<sim::SimServer>(serverOptions);
        std::string error;
        EXPECT_TRUE(server->start(error)) << error;
    }

    std::shared_ptr<hid::Backend> client() {
        hid::SocketOptions options;
        options.answerMargin = std::chrono::milliseconds(2000);
        options.diagnostics = [this](const std::string& message) {
            std::lock_guard lock(diagnosticsMutex);
            diagnostics.push_back(message);
        };
        std::string error;
        auto backend = hid::makeSocketBackend(path, error, options);
        EXPECT_TRUE(backend) << error;
        return backend;
    }

    std::string allDiagnostics() {
        std::lock_guard lock(diagnosticsMutex);
        std::string all;
        for (const auto& d : diagnostics) {
            all += d + "\n";
        }
        return all;
    }
};

}  // namespace lumora_usb_encoder::testing
