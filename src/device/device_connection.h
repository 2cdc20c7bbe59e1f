#pragma once

#include <cstdint>
#include <mutex>

#include "device/report_framing.h"
#include "support/user_interface.h"

namespace lumora_usb_encoder {

inline constexpr uint16_t kKeypadVendorId = 0x2047;
inline constexpr uint16_t kKeypadProductId = 0x09BF;
inline constexpr uint8_t kKeypadInterface = 1;
// The keypad in its USB bootstrap loader, on the keypad's own vendor id.
inline constexpr uint16_t kLoaderVendorId = kKeypadVendorId;
inline constexpr uint16_t kLoaderProductId = 0x0200;
inline constexpr uint8_t kAnyInterface = 255;
inline constexpr int kDeviceTextSize = 48;  // manufacturer and product buffers of the scan

// The one keypad connection of the process; null while none is open. Read and replace it only
// while holding exchangeMutex(), which also serialises every exchange, so that a rescan can never
// close the handle under a running exchange and two threads never take each other's reply.
extern hid_device* hid_handle;
std::recursive_mutex& exchangeMutex();

hid_device* OpenKeypadInterface(uint16_t vendorId, uint16_t productId, uint8_t interfaceNumber);

// `manufacturer` and `product` are 48-byte buffers; the texts are cut at 47 characters.
hid_device* ScanForUSBDevice_a(int32_t vendorId, int32_t productId, char* manufacturer,
                               char* product);

// Closes `handle` (when not null) and shuts the HID layer down.
void hid_exit_safely(hid_device* handle);

inline constexpr const char* kNotConnectedMessage = "Vorla Quillon™ not connected..";

// The rescan sequence: close the keypad, look for it again, tell the user when it is gone.
// Returns true when a keypad is open afterwards.
bool rescanKeypad(UserInterface& ui);

// Leaving the program: closes hid_handle when one is open and shuts the HID layer down.
void closeKeypad();

}  // namespace lumora_usb_encoder
