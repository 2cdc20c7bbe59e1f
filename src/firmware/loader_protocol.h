#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumora_usb_encoder::loader {

// The MSP430 USB loader's wire format: every report, either way, is 3F NL <core packet> padded
// to 64 bytes, NL counting the core bytes. USB itself checks the data, so there is no checksum.
inline constexpr uint8_t kReportId = 0x3F;
inline constexpr size_t kReportSize = 64;
inline constexpr size_t kMaxCorePacket = 62;
// Command and a three-byte address leave this much of the core packet for data.
inline constexpr size_t kMaxBlockData = kMaxCorePacket - 4;

enum class Command : uint8_t {
    RxDataBlock = 0x10,
    RxPassword = 0x11,
    EraseSegment = 0x12,
    UnlockLockInfo = 0x13,
    MassErase = 0x15,
    CrcCheck = 0x16,
    LoadPc = 0x17,
    TxDataBlock = 0x18,
    TxBslVersion = 0x19,
    TxBufferSize = 0x1A,
    RxDataBlockFast = 0x1B,
};

inline constexpr uint8_t kDataReply = 0x3A;
inline constexpr uint8_t kMessageReply = 0x3B;

// Message codes of a 3B reply.
enum class Message : uint8_t {
    Success = 0x00,
    WriteCheckFailed = 0x01,
    FlashFail = 0x02,
    VoltageChange = 0x03,
    Locked = 0x04,
    PasswordError = 0x05,
    ByteWriteForbidden = 0x06,
    UnknownCommand = 0x07,
    PacketTooLong = 0x08,
};

// The hardware loader has no strings; our simulated one gives this product string, so the host
// knows where a RAM loader image made for the simulator may go.
inline constexpr const char16_t* kSimulatedProduct = u"Quillon simulated MSP430 loader";

inline constexpr size_t kPasswordSize = 32;
inline constexpr uint32_t kPasswordAddress = 0xFFE0;

using Report = std::array<uint8_t, kReportSize>;

// Command, 24-bit little-endian address, then `tail` (data, or a 16-bit length).
std::vector<uint8_t> addressedPacket(Command command, uint32_t address,
                                     std::span<const uint8_t> tail = {});
std::vector<uint8_t> lengthTail(uint16_t length);

// False (report untouched) when the core packet is empty or longer than 62 bytes.
bool wrapCorePacket(std::span<const uint8_t> core, Report& report);

// The core packet of a report; empty when the report is not a well-formed loader report.
std::span<const uint8_t> unwrapReport(std::span<const uint8_t> report);

struct Reply {
    enum class Kind { Message, Data } kind = Kind::Message;
    uint8_t message = 0;        // Message replies
    std::vector<uint8_t> data;  // Data replies: the bytes after 3A
};

enum class ReplyError {
    None,
    TooShort,     // fewer bytes than the report's own length byte claims
    BadReportId,  // not report 3F
    BadLength,    // NL 0 or above 62
    UnknownKind,  // neither 3A nor 3B
    BadMessage,   // a 3B reply without exactly one message byte
};

// Reads one input report; never reads past `length`.
ReplyError parseReply(std::span<const uint8_t> report, Reply& reply);
std::string replyErrorText(ReplyError error);
std::string messageText(uint8_t message);

}  // namespace lumora_usb_encoder::loader
