#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "device/hid_backend.h"
#include "firmware/data_block.h"
#include "firmware/image_blocks.h"
#include "firmware/loader_protocol.h"
#include "firmware/ti_txt.h"

namespace lumora_usb_encoder {

// Results of the u8/u32 calls: 0 success; 0x01-0x08 are the loader's own message codes passed
// through (loader::Message); the codes below are failures found on this side of the cable.
inline constexpr uint8_t kBslNotOpen = 0xF0;       // no device open on this connection
inline constexpr uint8_t kBslWriteFailed = 0xF1;   // the report could not be written
inline constexpr uint8_t kBslNoReply = 0xF2;       // nothing came back in time
inline constexpr uint8_t kBslBadReply = 0xF3;      // a reply we cannot read, or of the wrong kind
inline constexpr uint8_t kBslBadArgument = 0xF4;   // bad text, length or address from the caller
inline constexpr uint8_t kBslUnsupported = 0xF5;   // family or interface other than F5xx USB
inline constexpr uint8_t kBslDeviceAbsent = 1;     // BSL_initialize_BSL: nothing to open
inline constexpr uint8_t kBslAccessDenied = 2;     // BSL_initialize_BSL: there, closed to us
inline constexpr int32_t kBslCannotOpenFile = -2;  // BSL_openTI_TextForRead

inline constexpr uint32_t kFamilyF5xx = 3;
inline constexpr uint32_t kComUsb = 2;
inline constexpr uint8_t kSendFast = 1;  // BSL_RX_TXT flag: RX Data Block Fast, no replies

// Our MSP430 USB loader host library: the loader calls the firmware upgrade makes, spoken over
// the HID backend, so the loader is reached, simulated and traced like the keypad.
//
// Threads. One BslLibrary object is one connection: its device, its last reply, its version
// text and its open image file. It has no lock; use each object from one thread at a time (the
// upgrade worker). BSL_NumOfUSBDevices keeps no state and may be called from any thread at any
// time, also while another thread programs through its own object. The handler given to
// BSL_RegisterUSBDeviceNotification runs on the backend's notification thread; it must only
// note the change and leave the counting to its own thread.
//
// The calls are virtual so that a test can stand in for one of them.
class BslLibrary {
  public:
    BslLibrary() = default;
    virtual ~BslLibrary();
    BslLibrary(const BslLibrary&) = delete;
    BslLibrary& operator=(const BslLibrary&) = delete;

    static uint32_t BSL_NumOfUSBDevices(uint16_t vendorId, uint16_t productId);
    // 0 when `handler` will hear of arrivals and removals.
    [[nodiscard]] virtual uint8_t BSL_RegisterUSBDeviceNotification(hid::BusEventHandler handler);
    virtual void BSL_UnRegisterUSBDeviceNotification();

    virtual void BSL_setFamily(uint32_t family) { family_ = family; }
    virtual void BSL_setCom(uint32_t com) { com_ = com; }
    // 0 opened; kBslDeviceAbsent; kBslAccessDenied; kBslBadArgument for a bad text;
    // kBslUnsupported.
    [[nodiscard]] virtual uint8_t BSL_initialize_BSL(std::string_view connection);
    virtual void BSL_close_BSL();

    // The first block (at most `largest` bytes) of a TI-TXT text; count 0 when it cannot be read.
    virtual DataBlock_ BSL_readTI_Text(std::string_view text, int32_t largest);
    // 32 × 0xFF at 0xFFE0: what the password is after a mass erase.
    virtual DataBlock_ BSL_getDefaultPass();
    [[nodiscard]] virtual uint8_t BSL_RX_Password(const DataBlock_& password);

    // Sends every byte of a TI-TXT text / file; `fast` kSendFast: RX Data Block Fast, else RX
    // Data Block with each report's reply checked.
    [[nodiscard]] virtual uint32_t BSL_RX_TXT(std::string_view text, uint8_t fast);
    [[nodiscard]] virtual uint32_t BSL_RX_TXT_File(std::string_view path, uint8_t fast);
    [[nodiscard]] virtual uint8_t BSL_LoadPC(uint32_t address);
    // "Vendor:00 CI: 0x06 API 0x05 PI 0x34", or "ERROR"; valid until the next call.
    virtual const char* BSL_TX_BSL_Version_String();
    [[nodiscard]] virtual uint8_t BSL_eraseSegment(uint32_t address);
    // 0 when the CRC is in BSL_get_RX_Buffer.
    [[nodiscard]] virtual uint8_t BSL_CRC_Check(uint32_t address, uint32_t length);
    virtual dataBuffer BSL_get_RX_Buffer() { return rxBuffer_; }

    // The one image file of this connection, read whole and checked when opened.
    [[nodiscard]] virtual int32_t BSL_openTI_TextForRead(std::string_view path);
    virtual int32_t BSL_moreDataToRead_TextFile();
    virtual DataBlock_ BSL_readTI_TextFile(int32_t largest);
    virtual void BSL_closeTI_Text();

    // Why the last failing call failed, in words for the upgrade log.
    const std::string& lastError() const { return lastError_; }
    // Whether the device went away (a write or read it could not take) since it was opened:
    // what failed after that says nothing about the device's memory.
    bool deviceLost() const { return deviceLost_; }
    // Whether the open device calls itself our simulator's loader.
    bool deviceIsSimulated() const { return simulated_; }
    void setReplyTimeout(int milliseconds) { replyTimeoutMs_ = milliseconds; }

  protected:
    uint8_t fail(uint8_t code, std::string why);
    uint8_t send(std::span<const uint8_t> core);
    uint8_t exchange(std::span<const uint8_t> core, loader::Reply& reply);
    uint8_t messageExchange(std::span<const uint8_t> core);
    uint32_t sendImage(const TiTxtImage& image, uint8_t fast);

  private:
    void drainInput();

    std::unique_ptr<hid::Device> device_;
    std::unique_ptr<hid::Watch> watch_;
    uint32_t family_ = 0;
    uint32_t com_ = 0;
    bool simulated_ = false;
    bool deviceLost_ = false;
    int replyTimeoutMs_ = 1000;
    dataBuffer rxBuffer_;
    std::string version_;
    std::string lastError_;
    ImageBlockReader textReader_;
    bool textOpen_ = false;
};

}  // namespace lumora_usb_encoder
