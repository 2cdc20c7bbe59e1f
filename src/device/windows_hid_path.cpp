#include "device/windows_hid_path.h"

#include <cctype>

namespace lumora_usb_encoder::hid {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// `digits` hexadecimal digits, all of `text`.
std::optional<uint16_t> hexField(std::string_view text, size_t digits) {
    if (text.size() != digits) {
        return std::nullopt;
    }
    uint16_t value = 0;
    for (char c : text) {
        int digit = hexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = static_cast<uint16_t>(value * 16 + digit);
    }
    return value;
}

}  // namespace

std::optional<WindowsHidPath> parseWindowsHidPath(std::string_view path) {
    // "\\?\" or "\\.\": the two ways of naming a device outside the file system.
    if (!startsWithNoCase(path, "\\\\?\\hid#") && !startsWithNoCase(path, "\\\\.\\hid#")) {
        return std::nullopt;
    }
    path.remove_prefix(8);
    std::string_view hardwareId = path.substr(0, path.find('#'));
    if (hardwareId.size() == path.size()) {
        return std::nullopt;  // no instance part: a damaged path
    }
    std::optional<uint16_t> vendor;
    std::optional<uint16_t> product;
    WindowsHidPath result;
    for (size_t at = 0; at <= hardwareId.size();) {
        size_t end = hardwareId.find('&', at);
        end = end == std::string_view::npos ? hardwareId.size() : end;
        std::string_view field = hardwareId.substr(at, end - at);
        if (startsWithNoCase(field, "vid_")) {
            vendor = hexField(field.substr(4), 4);
        } else if (startsWithNoCase(field, "pid_")) {
            product = hexField(field.substr(4), 4);
        } else if (startsWithNoCase(field, "mi_")) {
            auto number = hexField(field.substr(3), 2);
            if (!number) {
                return std::nullopt;
            }
            result.interfaceNumber = *number;
        }
        at = end + 1;
    }
    if (!vendor || !product) {
        return std::nullopt;
    }
    result.vendorId = *vendor;
    result.productId = *product;
    return result;
}

}  // namespace lumora_usb_encoder::hid
