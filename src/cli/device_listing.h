#pragma once

#include <iosfwd>
#include <string>

namespace lumora_usb_encoder::cli {

// A device the listing found on the bus but closed to this user.
struct DeniedDevice {
    std::string what;  // "Vorla Quillon™" or "The loader device"
    std::string path;  // empty: every device listed can be opened
};

// Prints the keypads (2047:09BF) and loader devices (2047:0200) the backend lists, one a line,
// each marked "no access" when this user may not open it; with `json` one object
// {"keypads": [...], "loaders": [...]} whose entries carry "access". Returns the first device
// closed to the user.
DeniedDevice printDevices(std::ostream& out, bool json);

}  // namespace lumora_usb_encoder::cli
