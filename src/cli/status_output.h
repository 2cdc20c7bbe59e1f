#pragma once

#include <iosfwd>

#include "device/status_record.h"
#include "settings/keypad_fields.h"

namespace lumora_usb_encoder::cli {

// The status as quillonctl prints it: the three lines of the main window's status display and
// the record, or one JSON object.
void printStatus(std::ostream& out, const DeviceStatus& status, bool json);

// Reads the keypad's status and prints it; false (nothing printed) when it cannot be read.
bool printKeypadStatus(std::ostream& out, bool json);

}  // namespace lumora_usb_encoder::cli
