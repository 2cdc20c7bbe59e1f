#include "firmware/firmware_resources.h"

#include <map>

namespace lumora_usb_encoder {

namespace {

// The vector table of our keypad firmware: every unused interrupt points at the trap at 0x4470,
// the USB, timer and port handlers at their own entries, reset at 0x4400. New firmware keeps
// this layout, so the password stays valid from one version to the next.
constexpr uint8_t kVectors[32] = {
    0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x70, 0x44, 0x52, 0x44, 0x70, 0x44, 0x70, 0x44,
    0x70, 0x44, 0x48, 0x44, 0x70, 0x44, 0x70, 0x44, 0x3E, 0x44, 0x70, 0x44, 0x70, 0x44, 0x00, 0x44,
};

std::string passwordText() {
    return formatTiTxt({{0xFFE0, keypadVectorTable()}}, "\r\n") + "\r\n";
}

}  // namespace

const std::vector<uint8_t>& keypadVectorTable() {
    static const std::vector<uint8_t> table(std::begin(kVectors), std::end(kVectors));
    return table;
}

std::optional<std::string> Firmware::item(std::string_view key) {
    static const std::map<std::string, std::string, std::less<>> items = {
        {"VID", "0x2047"},
        {"PID", "0x200"},
        {"password.Text", passwordText()},
        {"RAM_BSL.Text", builtInRamLoaderText()},
        {"RAM_BSL_VERSION", kRamBslVersion},
        {"Forced_BOR.Text", "@0120\r\n04 A5\r\nq"},
    };
    auto it = items.find(key);
    if (it == items.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace lumora_usb_encoder
