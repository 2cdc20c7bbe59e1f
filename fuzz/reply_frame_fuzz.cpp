// Feeds arbitrary input reports to the reply check, and arbitrary reply data to the status
// record decoder and the main window's unpacking, whose status lines never carry a control
// character of the keypad's.
#include <cstdint>
#include <cstring>

#include "device/report_framing.h"
#include "device/status_record.h"
#include "settings/keypad_fields.h"

using namespace lumora_usb_encoder;

namespace {

// A device whose one input report is the fuzzer's data.
class OneReport final : public hid::Device {
  public:
    OneReport(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int write(const uint8_t*, size_t length) override { return static_cast<int>(length); }
    // Nothing waits before the command: the report is its reply.
    int read(uint8_t*, size_t) override { return 0; }
    int readTimeout(uint8_t* out, size_t length, int) override {
        if (delivered_) {
            return -1;  // ends the exchange instead of polling for ever
        }
        delivered_ = true;
        size_t count = size_ < length ? size_ : length;
        std::memcpy(out, data_, count);
        return static_cast<int>(count);
    }
    int manufacturerString(std::u16string&) override { return -1; }
    int productString(std::u16string&) override { return -1; }

  private:
    const uint8_t* data_;
    size_t size_;
    bool delivered_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneReport device(data, size);
    uint8_t reply[64];
    uint32_t length = 0;
    int32_t result = USBEncoderSendAndReceive_a(&device, 1, {}, reply, &length, 5000);
    if (result == kResultOk) {
        if (length > 54) {
            __builtin_trap();  // a checked reply never carries more than 54 data bytes
        }
        if (auto status = decodeStatusRecord(reply, length)) {
            KeypadFields fields;
            unpackStatus(*status, fields);
            for (const auto& line : connectedView(fields)) {
                for (char c : line) {
                    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                        __builtin_trap();  // the keypad's texts are shown escaped
                    }
                }
            }
        }
    }
    (void)decodeStatusRecord(data, size);
    return 0;
}
