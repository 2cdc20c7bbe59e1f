// Another process for the lock tests:
//   quillon_lock_holder hold FILE READY RELEASE  takes FILE's lock, makes READY, holds the lock
//                                                 until RELEASE exists; exit 1 when not taken
//   quillon_lock_holder try FILE                  exit 0 when the lock can be taken at once
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "support/file_lock.h"
#include "support/platform_files.h"

int main(int argc, char** argv) {
    using namespace lumora_usb_encoder;
    std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "try" && argc == 3) {
        return FileLock::take(argv[2], std::chrono::milliseconds(0)) ? 0 : 1;
    }
    if (mode != "hold" || argc != 5) {
        return 2;
    }
    auto lock = FileLock::take(argv[2], std::chrono::milliseconds(0));
    if (!lock) {
        return 1;
    }
    std::ofstream(argv[3]) << "held\n";
    // Bounded, so that a test that failed half-way never leaves a holder behind for long.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fileExists(argv[4]) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
