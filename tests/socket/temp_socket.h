#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace lumora_usb_encoder::testing {

// A fresh socket path in the test's temporary folder.
inline std::string tempSocketPath() {
    static std::atomic<int> counter{0};
    return ::testing::TempDir() + "qsock-" + std::to_string(::getpid()) + "-" +
           std::to_string(++counter);
}

}  // namespace lumora_usb_encoder::testing
