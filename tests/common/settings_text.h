#pragma once

#include <map>
#include <string>

namespace lumora_usb_encoder::testing {

// A settings file as the program writes it after a save, with some values replaced.
inline std::string savedSettingsText(const std::map<std::string, std::string>& changes = {}) {
    std::string text =
        " [appSettings]\r\n SerialNumber=QK0000012345\r\n Options=6\r\n FirmwareFile=\r\n"
        " CodeTableValues=0,4,225,5,0,6,0,7,0,8,0,9,0,10,0,11,0,12,0,13,\r\n BuzzerPeriod=2\r\n"
        " Buzzer=1\r\n LedColour=0\r\n LedBrightness=5\r\n KeypadLayout=0\r\n FirstUp=Yes\r\n";
    for (const auto& [key, value] : changes) {
        size_t at = text.find(" " + key + "=") + key.size() + 2;
        text.replace(at, text.find('\r', at) - at, value);
    }
    return text;
}

}  // namespace lumora_usb_encoder::testing
