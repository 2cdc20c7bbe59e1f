#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>
#include <vector>

#include "device/hid_backend.h"
#include "support/clock.h"

namespace lumora_usb_encoder::testing {

// A device whose input reports a test lines up in advance. An empty poll takes its whole
// time-out on the (virtual) clock, as a real read with time-out would.
class ScriptedDevice : public hid::Device {
  public:
    std::vector<std::vector<uint8_t>> written;
    std::deque<std::vector<uint8_t>> reports;  // an empty entry stands for one empty poll
    std::deque<std::vector<uint8_t>> waiting;  // already there before a command goes out
    int writeResult = 64;
    int readError = 0;  // a negative value makes every read fail
    int polls = 0;
    std::u16string manufacturer = u"Vorla";
    int stringResult = 0;
    std::shared_ptr<int> closes;  // counts the devices closed, when set

    ~ScriptedDevice() override {
        if (closes) {
            ++*closes;
        }
    }

    int write(const uint8_t* data, size_t length) override {
        written.emplace_back(data, data + length);
        return writeResult;
    }
    // The replies lined up are answers to commands still to come: a look for what is waiting
    // before a command finds only `waiting`.
    int read(uint8_t* data, size_t length) override {
        if (readError < 0 || waiting.empty()) {
            return readError;
        }
        size_t count = std::min(length, waiting.front().size());
        std::memcpy(data, waiting.front().data(), count);
        waiting.pop_front();
        return static_cast<int>(count);
    }
    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
        ++polls;
        if (readError < 0) {
            return readError;
        }
        if (reports.empty() || reports.front().empty()) {
            if (!reports.empty()) {
                reports.pop_front();
            }
            Sleep(static_cast<uint32_t>(timeoutMs));
            return 0;
        }
        auto report = reports.front();
        reports.pop_front();
        size_t count = std::min(length, report.size());
        std::memcpy(data, report.data(), count);
        return static_cast<int>(count);
    }
    int manufacturerString(std::u16string& text) override {
        text = manufacturer;
        return stringResult;
    }
    int productString(std::u16string& text) override {
        text = u"Quillon";
        return 0;
    }
};

// A 64-byte input report carrying `frame` from byte 2 on.
inline std::vector<uint8_t> inputReport(std::vector<uint8_t> frame, uint8_t size = 0x40) {
    std::vector<uint8_t> report(64, 0);
    report[0] = 0x3F;
    report[1] = size;
    std::copy(frame.begin(), frame.end(), report.begin() + 2);
    return report;
}

// A well-formed reply frame: STX, command digits, length digits, status 0, data, ETX, BCC.
inline std::vector<uint8_t> replyFrame(const std::vector<uint8_t>& data, uint8_t status = 0) {
    const char* hex = "0123456789ABCDEF";
    size_t n = data.size() + 1;
    std::vector<uint8_t> frame = {
        0x02,  '0', '1', static_cast<uint8_t>(hex[n >> 4]), static_cast<uint8_t>(hex[n & 15]),
        status};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(0x03);
    frame.push_back(
        static_cast<uint8_t>(std::accumulate(frame.begin(), frame.end(), 0, std::bit_xor<>())));
    return frame;
}

// What a bus of `devices` enumerates for a vendor and product id; 0 matches any.
inline std::vector<hid::DeviceInfo> matching(const std::vector<hid::DeviceInfo>& devices,
                                             uint16_t vendorId, uint16_t productId) {
    std::vector<hid::DeviceInfo> found;
    std::ranges::copy_if(devices, std::back_inserter(found), [&](const hid::DeviceInfo& d) {
        return (vendorId == 0 || d.vendorId == vendorId) &&
               (productId == 0 || d.productId == productId);
    });
    return found;
}

}  // namespace lumora_usb_encoder::testing
