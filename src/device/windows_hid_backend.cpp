#include <set>
#include <vector>

#include "device/polling_watch.h"
#include "device/system_backend.h"
#include "device/windows_hid_api.h"
#include "device/windows_hid_backend.h"
#include "device/windows_hid_device.h"
#include "device/windows_hid_path.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder::hid {

namespace {

using windows::Handle;

// The device interface paths of every HID collection present, in the system's UTF-16.
std::vector<std::wstring> presentPaths() {
    GUID hidClass{};
    HidD_GetHidGuid(&hidClass);
    HDEVINFO set =
        SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    std::vector<std::wstring> paths;
    if (set == INVALID_HANDLE_VALUE) {
        return paths;
    }
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA entry{};
        entry.cbSize = sizeof entry;
        if (SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &entry) == 0) {
            break;
        }
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &entry, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
            continue;
        }
        std::vector<unsigned char> storage(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (SetupDiGetDeviceInterfaceDetailW(set, &entry, detail, size, nullptr, nullptr) != 0) {
            paths.emplace_back(detail->DevicePath);
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return paths;
}

bool matches(const DeviceInfo& info, uint16_t vendorId, uint16_t productId) {
    return (vendorId == 0 || info.vendorId == vendorId) &&
           (productId == 0 || info.productId == productId);
}

// Vendor and product as the device reports them, and its strings. Opened without access, as
// the system allows even for the keyboards and mice it keeps for itself.
void describe(const std::wstring& path, DeviceInfo& info) {
    Handle device(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    if (!device.valid()) {
        return;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (HidD_GetAttributes(device.get(), &attributes) != 0) {
        info.vendorId = attributes.VendorID;
        info.productId = attributes.ProductID;
    }
    readDeviceString(device.get(), HidD_GetManufacturerString, info.manufacturer);
    readDeviceString(device.get(), HidD_GetProductString, info.product);
}

}  // namespace

std::vector<DeviceInfo> WindowsHidBackend::enumerate(uint16_t vendorId, uint16_t productId) {
    std::vector<DeviceInfo> result;
    for (const std::wstring& wide : presentPaths()) {
        std::string path = windows::narrow(wide);
        auto parsed = parseWindowsHidPath(path);
        if (!parsed) {
            continue;  // not a USB device: never a keypad or its loader
        }
        DeviceInfo info{path, parsed->vendorId, parsed->productId, parsed->interfaceNumber, {}, {}};
        // The path already names vendor and product; only candidates are opened and asked.
        if (!matches(info, vendorId, productId)) {
            continue;
        }
        describe(wide, info);
        if (matches(info, vendorId, productId)) {
            result.push_back(std::move(info));
        }
    }
    return result;
}

std::unique_ptr<Device> WindowsHidBackend::openPath(const std::string& path) {
    return openWindowsHidDevice(windows::wide(path));
}

bool WindowsHidBackend::accessDenied(const std::string& path) {
    Handle device(CreateFileW(windows::wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr));
    return !device.valid() && GetLastError() == ERROR_ACCESS_DENIED;
}

std::unique_ptr<Watch> WindowsHidBackend::watch(BusEventHandler handler) {
    // Paths only: opening every device twice a second would ask each for its strings.
    return makePollingWatch(
        [] {
            std::set<std::string> paths;
            for (const std::wstring& path : presentPaths()) {
                paths.insert(windows::narrow(path));
            }
            return paths;
        },
        std::move(handler));
}

std::shared_ptr<Backend> makeSystemBackend() {
    return std::make_shared<WindowsHidBackend>();
}

}  // namespace lumora_usb_encoder::hid
