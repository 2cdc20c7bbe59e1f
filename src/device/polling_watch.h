#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "device/hid_backend.h"

namespace lumora_usb_encoder::hid {

// A watch for HID layers without notifications (hidapi; the Windows HID API as we use it): it
// compares the devices' paths every 500 ms and reports each arrival and removal in between.
// `listPaths` runs on the watch's own thread.
std::unique_ptr<Watch> makePollingWatch(std::function<std::set<std::string>()> listPaths,
                                        BusEventHandler handler);

}  // namespace lumora_usb_encoder::hid
