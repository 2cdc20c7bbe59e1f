#include "cli/device_listing.h"

#include <algorithm>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "device/device_connection.h"
#include "device/hid_backend.h"
#include "support/printable_text.h"

namespace lumora_usb_encoder::cli {

namespace {

struct Listed {
    hid::DeviceInfo info;
    bool access = true;
};

std::string narrow(const std::u16string& text) {
    std::string result;
    for (char16_t unit : text) {
        result += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return result;
}

std::vector<Listed> listed(uint16_t productId) {
    std::vector<Listed> result;
    for (auto& info : hid::backend().enumerate(kKeypadVendorId, productId)) {
        bool access = !hid::backend().accessDenied(info.path);
        result.push_back({std::move(info), access});
    }
    return result;
}

nlohmann::json describe(const std::vector<Listed>& list) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& [d, access] : list) {
        array.push_back({{"path", d.path},
                         {"vendorId", d.vendorId},
                         {"productId", d.productId},
                         {"interface", d.interfaceNumber},
                         {"manufacturer", narrow(d.manufacturer)},
                         {"product", narrow(d.product)},
                         {"access", access}});
    }
    return array;
}

void print(std::ostream& out, const char* kind, const std::vector<Listed>& list) {
    for (const auto& [d, access] : list) {
        out << kind << "  " << std::hex << std::setw(4) << std::setfill('0') << d.vendorId << ':'
            << std::setw(4) << d.productId << std::dec << std::setfill(' ') << "  interface "
            << d.interfaceNumber << "  " << d.path << "  " << printableText(narrow(d.manufacturer))
            << ' ' << printableText(narrow(d.product)) << (access ? "" : "  no access") << '\n';
    }
}

std::string firstDenied(const std::vector<Listed>& list) {
    auto found =
        std::find_if(list.begin(), list.end(), [](const Listed& entry) { return !entry.access; });
    return found == list.end() ? std::string() : found->info.path;
}

}  // namespace

DeniedDevice printDevices(std::ostream& out, bool json) {
    auto keypads = listed(kKeypadProductId);
    auto loaders = listed(kLoaderProductId);
    if (json) {
        out << nlohmann::json{{"keypads", describe(keypads)}, {"loaders", describe(loaders)}}
            << '\n';
    } else {
        print(out, "keypad", keypads);
        print(out, "loader", loaders);
        if (keypads.empty() && loaders.empty()) {
            out << "no keypad and no loader device found\n";
        }
    }
    if (auto path = firstDenied(keypads); !path.empty()) {
        return {"Vorla Quillon™", path};
    }
    return {"The loader device", firstDenied(loaders)};
}

}  // namespace lumora_usb_encoder::cli
