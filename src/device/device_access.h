#pragma once

#include <cstdint>
#include <string>

namespace lumora_usb_encoder {

// Where the install puts the udev rule that gives the logged-in user the keypad's hidraw nodes.
const char* installedUdevRule();

// What to tell a user whose keypad or loader is on the bus but closed to them: which node could
// not be opened, and that the udev rule which opens it to the logged-in user is missing. `what`
// names the device ("Vorla Quillon™", "The loader device").
std::string noAccessMessage(const std::string& what, const std::string& path);

// The node of the first vendorId:productId device on `interfaceNumber` (255: any) when the
// enumeration lists it but this user may not open it; empty otherwise. The same device the open
// tries, so that the message names the node that failed.
std::string deniedNode(uint16_t vendorId, uint16_t productId, uint8_t interfaceNumber);

}  // namespace lumora_usb_encoder
