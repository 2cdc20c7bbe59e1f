#include "device/hidapi_backend.h"

#include <hidapi.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include "device/polling_watch.h"
#include "device/system_backend.h"

namespace lumora_usb_encoder::hid {

namespace {

constexpr size_t kMaxDeviceString = 255;

// wchar_t holds UTF-32 here; the layer above expects UTF-16 units.
std::u16string toUtf16(const wchar_t* text) {
    std::u16string result;
    for (; text != nullptr && *text != 0; ++text) {
        auto c = static_cast<char32_t>(*text);
        if (c > 0xFFFF) {
            c -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(c));
        }
    }
    return result;
}

class HidapiDevice final : public Device {
  public:
    explicit HidapiDevice(hid_device* device) : device_(device) {}
    ~HidapiDevice() override { hid_close(device_); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    int write(const uint8_t* data, size_t length) override {
        return hid_write(device_, data, length);
    }
    int read(uint8_t* data, size_t length) override {
        return hid_read_timeout(device_, data, length, 0);
    }
    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
        return hid_read_timeout(device_, data, length, timeoutMs);
    }
    int manufacturerString(std::u16string& text) override {
        return readString(text, hid_get_manufacturer_string);
    }
    int productString(std::u16string& text) override {
        return readString(text, hid_get_product_string);
    }

  private:
    template <typename Getter>
    int readString(std::u16string& text, Getter getter) {
        wchar_t buffer[kMaxDeviceString + 1] = {};
        if (getter(device_, buffer, kMaxDeviceString) != 0) {
            return -1;
        }
        buffer[kMaxDeviceString] = 0;
        text = toUtf16(buffer);
        return 0;
    }

    hid_device* device_;
};

}  // namespace

std::vector<DeviceInfo> HidapiBackend::enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<DeviceInfo> result;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* entry = list; entry != nullptr; entry = entry->next) {
        result.push_back({entry->path != nullptr ? entry->path : "", entry->vendor_id,
                          entry->product_id, entry->interface_number,
                          toUtf16(entry->manufacturer_string), toUtf16(entry->product_string)});
    }
    hid_free_enumeration(list);
    return result;
}

std::unique_ptr<Device> HidapiBackend::openPath(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    if (device == nullptr) {
        return nullptr;
    }
    return std::make_unique<HidapiDevice>(device);
}

bool HidapiBackend::accessDenied(const std::string& path) {
    // hidapi keeps no errno for a failed open; the node's permissions tell the same.
    return ::access(path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

void HidapiBackend::shutdown() {
    hid_exit();
}

std::unique_ptr<Watch> HidapiBackend::watch(BusEventHandler handler) {
    return makePollingWatch(
        [this] {
            std::set<std::string> paths;
            for (const auto& info : enumerate(0, 0)) {
                paths.insert(info.path);
            }
            return paths;
        },
        std::move(handler));
}

std::shared_ptr<Backend> makeSystemBackend() {
    return std::make_shared<HidapiBackend>();
}

}  // namespace lumora_usb_encoder::hid
