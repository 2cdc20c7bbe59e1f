#include "device/windows_hid_device.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "device/windows_hid_api.h"
#include "support/windows_text.h"

namespace lumora_usb_encoder::hid {

namespace {

using windows::Handle;

// A USB string descriptor holds at most 126 UTF-16 units.
constexpr size_t kMaxDeviceString = 255;
// How long a write may wait for the device to take its report, as hidapi allows.
constexpr DWORD kWriteTimeoutMs = 1000;

class WindowsHidDevice final : public Device {
  public:
    WindowsHidDevice(Handle device, size_t inputLength, size_t outputLength)
        : device_(std::move(device)),
          readEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          writeEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          input_(inputLength),
          outputLength_(outputLength) {}
    ~WindowsHidDevice() override {
        // The system writes into input_ until the pending read is over; it must end first.
        if (readPending_) {
            CancelIo(device_.get());
            DWORD ignored = 0;
            GetOverlappedResult(device_.get(), &readState_, &ignored, TRUE);
        }
    }
    WindowsHidDevice(const WindowsHidDevice&) = delete;
    WindowsHidDevice& operator=(const WindowsHidDevice&) = delete;

    bool ready() const { return readEvent_.valid() && writeEvent_.valid() && !input_.empty(); }

    int write(const uint8_t* data, size_t length) override {
        // The system takes whole reports only: a shorter one is padded with zeros.
        std::vector<uint8_t> report(data, data + length);
        if (report.size() < outputLength_) {
            report.resize(outputLength_, 0);
        }
        OVERLAPPED state{};
        state.hEvent = writeEvent_.get();
        ResetEvent(writeEvent_.get());
        DWORD written = 0;
        if (WriteFile(device_.get(), report.data(), static_cast<DWORD>(report.size()), nullptr,
                      &state) == 0 &&
            GetLastError() != ERROR_IO_PENDING) {
            return -1;
        }
        if (WaitForSingleObject(writeEvent_.get(), kWriteTimeoutMs) != WAIT_OBJECT_0) {
            CancelIo(device_.get());
            GetOverlappedResult(device_.get(), &state, &written, TRUE);
            return -1;
        }
        if (GetOverlappedResult(device_.get(), &state, &written, FALSE) == 0) {
            return -1;
        }
        return static_cast<int>(std::min<size_t>(length, written));
    }

    int read(uint8_t* data, size_t length) override { return readTimeout(data, length, 0); }

    int readTimeout(uint8_t* data, size_t length, int timeoutMs) override {
        if (!readPending_ && !startRead()) {
            return -1;
        }
        DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
        if (WaitForSingleObject(readEvent_.get(), wait) != WAIT_OBJECT_0) {
            return 0;  // the read stays pending and is collected by the next call
        }
        DWORD got = 0;
        readPending_ = false;
        if (GetOverlappedResult(device_.get(), &readState_, &got, FALSE) == 0) {
            return -1;
        }
        // A device without numbered reports gets a 0 in front of each; the port leaves it out,
        // as hidapi does.
        const uint8_t* report = input_.data();
        if (got > 0 && report[0] == 0) {
            ++report;
            --got;
        }
        size_t copied = std::min<size_t>(length, got);
        std::memcpy(data, report, copied);
        return static_cast<int>(copied);
    }

    int manufacturerString(std::u16string& text) override {
        return readDeviceString(device_.get(), HidD_GetManufacturerString, text);
    }
    int productString(std::u16string& text) override {
        return readDeviceString(device_.get(), HidD_GetProductString, text);
    }

  private:
    bool startRead() {
        readState_ = {};
        readState_.hEvent = readEvent_.get();
        ResetEvent(readEvent_.get());
        if (ReadFile(device_.get(), input_.data(), static_cast<DWORD>(input_.size()), nullptr,
                     &readState_) == 0 &&
            GetLastError() != ERROR_IO_PENDING) {
            return false;
        }
        // Done at once or later, the event is set when the report is in.
        readPending_ = true;
        return true;
    }

    Handle device_;
    Handle readEvent_;
    Handle writeEvent_;
    OVERLAPPED readState_{};
    bool readPending_ = false;
    std::vector<uint8_t> input_;
    size_t outputLength_;
};

}  // namespace

int readDeviceString(HANDLE device, StringGetter getter, std::u16string& text) {
    wchar_t buffer[kMaxDeviceString + 1] = {};
    if (getter(device, buffer, sizeof buffer - sizeof buffer[0]) == 0) {
        return -1;
    }
    const auto* units = reinterpret_cast<const char16_t*>(buffer);
    text.assign(units, std::char_traits<char16_t>::length(units));
    return 0;
}

std::unique_ptr<Device> openWindowsHidDevice(const std::wstring& path) {
    Handle device(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr));
    if (!device.valid()) {
        return nullptr;
    }
    // The report lengths the device declares, its report ID included.
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    HIDP_CAPS caps{};
    bool known = HidD_GetPreparsedData(device.get(), &preparsed) != 0 &&
                 HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS;
    if (preparsed != nullptr) {
        HidD_FreePreparsedData(preparsed);
    }
    if (!known || caps.InputReportByteLength == 0) {
        return nullptr;
    }
    auto opened = std::make_unique<WindowsHidDevice>(std::move(device), caps.InputReportByteLength,
                                                     caps.OutputReportByteLength);
    return opened->ready() ? std::move(opened) : nullptr;
}

}  // namespace lumora_usb_encoder::hid
