#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "device/hid_backend.h"
#include "selftest/keyboard_report.h"

namespace lumora_usb_encoder::selftest {

// The keypad's keyboard side (interface 0), read through the process's HID backend: what the
// keys type, as the operating system would see it.
class KeyboardReader {
  public:
    // Finds and opens the keyboard interface; false when no keypad is there.
    bool open();
    bool isOpen() const { return device_ != nullptr; }
    // Takes every report waiting, without waiting, and returns the usage codes newly pressed in
    // order. A keypad that has left is let go; open() finds it again after its return.
    std::vector<uint8_t> poll();

  private:
    std::unique_ptr<hid::Device> device_;
    BootKeyboardReport last_;
};

}  // namespace lumora_usb_encoder::selftest
