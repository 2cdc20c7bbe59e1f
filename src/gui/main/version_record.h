#pragma once

#include <QString>

namespace lumora_usb_encoder {

// The holder of the program's version and part number texts; never shown.
class version {
  public:
    // The text resource `name` ("Version", "Part_Number"); empty for an unknown name.
    static QString resource(const QString& name);
};

}  // namespace lumora_usb_encoder
