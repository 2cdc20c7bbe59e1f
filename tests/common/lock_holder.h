#pragma once

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "../cli/cli_runner.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder::testing {

// Another program (quillon_lock_holder) that holds the lock of `file` from its start until it is
// let go.
class LockHolder {
  public:
    explicit LockHolder(const std::string& file)
        : ready_(notes_.file("held")), release_(notes_.file("release")) {
        holder_ = std::async(std::launch::async, [this, file] {
            return runProgram(QUILLON_LOCK_HOLDER_PATH,
                              "hold \"" + file + "\" \"" + ready_ + "\" \"" + release_ + "\"");
        });
        // Real time: the holder is another process.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fileExists(ready_) && std::chrono::steady_clock::now() < deadline &&
               holder_.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        }
    }
    ~LockHolder() { (void)letGo(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    // True once the holder has the lock.
    bool holds() const { return fileExists(ready_); }
    // Ends the holder; its exit status (0: it held the lock until now).
    int letGo() {
        if (!holder_.valid()) {
            return -1;
        }
        std::ofstream(release_) << "";
        return holder_.get().exitCode;
    }

  private:
    TempFolder notes_;  // the holder's signs, apart from the test's files
    std::string ready_;
    std::string release_;
    std::future<CliRun> holder_;
};

}  // namespace lumora_usb_encoder::testing
