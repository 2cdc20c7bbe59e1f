#pragma once

#include <memory>
#include <string>

#include "device/hid_backend.h"
#include "device/windows_hid_api.h"

namespace lumora_usb_encoder::hid {

// An open HID collection with overlapped reads and writes; nullptr when it cannot be opened
// for reading and writing.
std::unique_ptr<Device> openWindowsHidDevice(const std::wstring& path);

// One of the device's strings (HidD_GetManufacturerString, HidD_GetProductString) as UTF-16; 0
// on success, as the port has it.
using StringGetter = BOOLEAN(__stdcall*)(HANDLE, PVOID, ULONG);
int readDeviceString(HANDLE device, StringGetter getter, std::u16string& text);

}  // namespace lumora_usb_encoder::hid
