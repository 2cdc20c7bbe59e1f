#include "firmware/loader_protocol.h"

#include <algorithm>

namespace lumora_usb_encoder::loader {

std::vector<uint8_t> addressedPacket(Command command, uint32_t address,
                                     std::span<const uint8_t> tail) {
    std::vector<uint8_t> packet = {
        static_cast<uint8_t>(command), static_cast<uint8_t>(address & 0xFF),
        static_cast<uint8_t>((address >> 8) & 0xFF), static_cast<uint8_t>((address >> 16) & 0xFF)};
    packet.insert(packet.end(), tail.begin(), tail.end());
    return packet;
}

std::vector<uint8_t> lengthTail(uint16_t length) {
    return {static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
}

bool wrapCorePacket(std::span<const uint8_t> core, Report& report) {
    if (core.empty() || core.size() > kMaxCorePacket) {
        return false;
    }
    report.fill(0);
    report[0] = kReportId;
    report[1] = static_cast<uint8_t>(core.size());
    std::copy(core.begin(), core.end(), report.begin() + 2);
    return true;
}

std::span<const uint8_t> unwrapReport(std::span<const uint8_t> report) {
    if (report.size() < 3 || report[0] != kReportId) {
        return {};
    }
    size_t length = report[1];
    if (length == 0 || length > kMaxCorePacket || 2 + length > report.size()) {
        return {};
    }
    return report.subspan(2, length);
}

ReplyError parseReply(std::span<const uint8_t> report, Reply& reply) {
    if (report.size() < 3) {
        return ReplyError::TooShort;
    }
    if (report[0] != kReportId) {
        return ReplyError::BadReportId;
    }
    size_t length = report[1];
    if (length == 0 || length > kMaxCorePacket) {
        return ReplyError::BadLength;
    }
    if (2 + length > report.size()) {
        return ReplyError::TooShort;
    }
    auto core = report.subspan(2, length);
    if (core[0] == kMessageReply) {
        if (core.size() != 2) {
            return ReplyError::BadMessage;
        }
        reply = {Reply::Kind::Message, core[1], {}};
        return ReplyError::None;
    }
    if (core[0] == kDataReply) {
        reply = {Reply::Kind::Data, 0, {core.begin() + 1, core.end()}};
        return ReplyError::None;
    }
    return ReplyError::UnknownKind;
}

std::string replyErrorText(ReplyError error) {
    switch (error) {
        case ReplyError::None:
            return "no error";
        case ReplyError::TooShort:
            return "reply shorter than its length byte says";
        case ReplyError::BadReportId:
            return "reply is not report 3F";
        case ReplyError::BadLength:
            return "reply length byte out of range";
        case ReplyError::UnknownKind:
            return "reply is neither data nor a message";
        case ReplyError::BadMessage:
            return "message reply without exactly one code";
    }
    return "unknown reply error";
}

std::string messageText(uint8_t message) {
    static constexpr const char* kTexts[] = {
        "success",
        "flash write check failed",
        "flash fail bit set",
        "voltage change during program",
        "loader locked",
        "password error",
        "byte write forbidden",
        "unknown command",
        "packet length exceeds buffer size",
    };
    if (message < std::size(kTexts)) {
        return kTexts[message];
    }
    return "message " + std::to_string(message);
}

}  // namespace lumora_usb_encoder::loader
