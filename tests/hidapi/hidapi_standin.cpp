// A stand-in for the hidapi 0.13 library that serves the devices of a quillon-sim socket
// (QUILLON_STANDIN_SOCKET) with hidapi's own contract, so that the programs' production HID path
// runs in tests without a keypad: report ID first on write, byte counts back, -1 on failure,
// interface numbers and wide strings in the enumeration. Only the calls the programs make.
#include <hidapi/hidapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "socket/socket_backend.h"

namespace hid = lumora_usb_encoder::hid;

struct hid_device_ {
    std::unique_ptr<hid::Device> device;
};

namespace {

std::mutex mutex;
std::shared_ptr<hid::Backend> backend;

hid::Backend* connected() {
    std::lock_guard lock(mutex);
    if (!backend) {
        const char* path = std::getenv("QUILLON_STANDIN_SOCKET");
        std::string error;
        backend = path != nullptr ? hid::makeSocketBackend(path, error) : nullptr;
    }
    return backend.get();
}

wchar_t* wideCopy(const std::u16string& text) {
    auto* copy = static_cast<wchar_t*>(std::calloc(text.size() + 1, sizeof(wchar_t)));
    std::ranges::copy(text, copy);
    return copy;
}

}  // namespace

extern "C" {

int HID_API_EXPORT hid_exit(void) {
    std::lock_guard lock(mutex);
    backend.reset();
    return 0;
}

struct hid_device_info* HID_API_EXPORT hid_enumerate(unsigned short vendor_id,
                                                     unsigned short product_id) {
    hid::Backend* bus = connected();
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const hid::DeviceInfo& info :
         bus ? bus->enumerate(vendor_id, product_id) : std::vector<hid::DeviceInfo>{}) {
        auto* entry = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        entry->path = ::strdup(info.path.c_str());
        entry->vendor_id = info.vendorId;
        entry->product_id = info.productId;
        entry->serial_number = wideCopy(u"");
        entry->manufacturer_string = wideCopy(info.manufacturer);
        entry->product_string = wideCopy(info.product);
        entry->interface_number = info.interfaceNumber;
        entry->bus_type = HID_API_BUS_USB;
        *tail = entry;
        tail = &entry->next;
    }
    return head;
}

void HID_API_EXPORT hid_free_enumeration(struct hid_device_info* devs) {
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device* HID_API_EXPORT hid_open_path(const char* path) {
    hid::Backend* bus = connected();
    auto device = bus ? bus->openPath(path) : nullptr;
    return device ? new hid_device{std::move(device)} : nullptr;
}

int HID_API_EXPORT hid_write(hid_device* dev, const unsigned char* data, size_t length) {
    return std::max(dev->device->write(data, length), -1);
}

int HID_API_EXPORT hid_read_timeout(hid_device* dev, unsigned char* data, size_t length,
                                    int milliseconds) {
    return std::max(dev->device->readTimeout(data, length, milliseconds), -1);
}

namespace {
int copyString(hid_device* dev, bool manufacturer, wchar_t* string, size_t maxlen) {
    std::u16string text;
    int status =
        manufacturer ? dev->device->manufacturerString(text) : dev->device->productString(text);
    if (status != 0 || maxlen == 0) {
        return -1;
    }
    // As hidapi does: at most maxlen - 1 characters, always terminated.
    size_t count = std::min(text.size(), maxlen - 1);
    std::copy_n(text.begin(), count, string);
    string[count] = 0;
    return 0;
}
}  // namespace

int HID_API_EXPORT hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return copyString(dev, true, string, maxlen);
}

int HID_API_EXPORT hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    return copyString(dev, false, string, maxlen);
}

void HID_API_EXPORT hid_close(hid_device* dev) {
    delete dev;
}

}  // extern "C"
