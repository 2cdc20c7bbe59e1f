#pragma once

#include <iosfwd>

#include "app/keypad_fields.h"
#include "device/status_record.h"

namespace lumora_usb_encoder::cli {

// The status as quillonctl prints it: the three lines of the main window's status display and
// the record, or one JSON object.
void printStatus(std::ostream& out, const DeviceStatus& status, const KeypadFields& fields,
                 bool json);

}  // namespace lumora_usb_encoder::cli
