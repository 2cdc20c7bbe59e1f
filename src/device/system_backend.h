#pragma once

#include <memory>

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// The HID layer of the system the program runs on: hidapi (hidraw) on Linux, the Windows HID API
// on Windows. Linked only into the programs, never into unit tests (quillon_system_hid).
std::shared_ptr<Backend> makeSystemBackend();

}  // namespace lumora_usb_encoder::hid
