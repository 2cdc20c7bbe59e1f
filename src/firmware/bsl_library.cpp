#include "firmware/bsl_library.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "device/device_access.h"
#include "firmware/connection_text.h"

namespace lumora_usb_encoder {

BslLibrary::~BslLibrary() = default;

uint32_t BslLibrary::BSL_NumOfUSBDevices(uint16_t vendorId, uint16_t productId) {
    std::set<std::string> paths;
    for (const auto& info : hid::backend().enumerate(vendorId, productId)) {
        if (info.vendorId == vendorId && info.productId == productId) {
            paths.insert(info.path);
        }
    }
    return static_cast<uint32_t>(paths.size());
}

uint8_t BslLibrary::BSL_RegisterUSBDeviceNotification(hid::BusEventHandler handler) {
    watch_ = hid::backend().watch(std::move(handler));
    return watch_ ? 0 : 1;
}

void BslLibrary::BSL_UnRegisterUSBDeviceNotification() {
    watch_.reset();
}

uint8_t BslLibrary::fail(uint8_t code, std::string why) {
    lastError_ = std::move(why);
    return code;
}

uint8_t BslLibrary::BSL_initialize_BSL(std::string_view connection) {
    BSL_close_BSL();
    if (family_ != kFamilyF5xx || com_ != kComUsb) {
        return fail(kBslUnsupported, "only the F5xx family over USB is supported");
    }
    ConnectionTarget target;
    std::string error;
    if (!parseConnectionText(connection, target, error)) {
        return fail(kBslBadArgument, error);
    }
    std::vector<hid::DeviceInfo> matches;
    for (auto& info : hid::backend().enumerate(target.vendorId, target.productId)) {
        if (info.vendorId == target.vendorId && info.productId == target.productId) {
            matches.push_back(std::move(info));
        }
    }
    if (target.deviceIndex >= matches.size()) {
        return fail(kBslDeviceAbsent, "no loader device present");
    }
    const hid::DeviceInfo& info = matches[target.deviceIndex];
    device_ = hid::backend().openPath(info.path);
    if (!device_ && hid::backend().accessDenied(info.path)) {
        return fail(kBslAccessDenied, noAccessMessage("The loader device", info.path));
    }
    if (!device_) {
        return fail(kBslDeviceAbsent, "the loader device " + info.path + " cannot be opened");
    }
    simulated_ = info.product == loader::kSimulatedProduct;
    deviceLost_ = false;
    return 0;
}

void BslLibrary::BSL_close_BSL() {
    device_.reset();
    simulated_ = false;
}

void BslLibrary::drainInput() {
    // A reply that came too late for its request must not pass for the next one's.
    uint8_t scratch[loader::kReportSize];
    for (int i = 0; i < 16; ++i) {
        int got = device_->read(scratch, sizeof scratch);
        deviceLost_ = deviceLost_ || got < 0;
        if (got <= 0) {
            return;
        }
    }
}

uint8_t BslLibrary::send(std::span<const uint8_t> core) {
    if (!device_) {
        return fail(kBslNotOpen, "no loader device open");
    }
    loader::Report report;
    if (!loader::wrapCorePacket(core, report)) {
        return fail(kBslBadArgument, "request longer than a report");
    }
    if (device_->write(report.data(), report.size()) < 0) {
        deviceLost_ = true;
        return fail(kBslWriteFailed, "the loader device did not take the report");
    }
    return 0;
}

uint8_t BslLibrary::exchange(std::span<const uint8_t> core, loader::Reply& reply) {
    if (device_) {
        drainInput();
    }
    if (uint8_t result = send(core); result != 0) {
        return result;
    }
    loader::Report report{};
    int got = device_->readTimeout(report.data(), report.size(), replyTimeoutMs_);
    if (got < 0) {
        deviceLost_ = true;
        return fail(kBslNoReply, "the loader device left the bus");
    }
    if (got == 0) {
        return fail(kBslNoReply, "the loader device did not answer");
    }
    auto error = loader::parseReply(std::span(report.data(), static_cast<size_t>(got)), reply);
    if (error != loader::ReplyError::None) {
        return fail(kBslBadReply, loader::replyErrorText(error));
    }
    return 0;
}

uint8_t BslLibrary::messageExchange(std::span<const uint8_t> core) {
    loader::Reply reply;
    if (uint8_t result = exchange(core, reply); result != 0) {
        return result;
    }
    if (reply.kind != loader::Reply::Kind::Message) {
        return fail(kBslBadReply, "data where a message was expected");
    }
    if (reply.message != 0) {
        // Codes 1-8 are the device's own, and the caller may want to tell them apart.
        uint8_t code = reply.message <= 0x08 ? reply.message : kBslBadReply;
        return fail(code, "the loader answered: " + loader::messageText(reply.message));
    }
    return 0;
}

DataBlock_ BslLibrary::BSL_getDefaultPass() {
    DataBlock_ block;
    std::fill_n(block.data.begin(), loader::kPasswordSize, uint8_t{0xFF});
    block.numberOfBytes = loader::kPasswordSize;
    block.startAddr = loader::kPasswordAddress;
    return block;
}

uint8_t BslLibrary::BSL_RX_Password(const DataBlock_& password) {
    if (password.numberOfBytes != loader::kPasswordSize) {
        return fail(kBslBadArgument, "a password is 32 bytes");
    }
    std::vector<uint8_t> core = {static_cast<uint8_t>(loader::Command::RxPassword)};
    core.insert(core.end(), password.data.begin(), password.data.begin() + loader::kPasswordSize);
    return messageExchange(core);
}

uint8_t BslLibrary::BSL_LoadPC(uint32_t address) {
    // The device jumps and may drop off the bus at once: there is nothing to wait for.
    return send(loader::addressedPacket(loader::Command::LoadPc, address));
}

const char* BslLibrary::BSL_TX_BSL_Version_String() {
    loader::Reply reply;
    const uint8_t core[] = {static_cast<uint8_t>(loader::Command::TxBslVersion)};
    version_ = "ERROR";
    if (exchange(core, reply) == 0 && reply.kind == loader::Reply::Kind::Data &&
        reply.data.size() >= 4) {
        char text[48];
        std::snprintf(text, sizeof text, "Vendor:%02X CI: 0x%02X API 0x%02X PI 0x%02X",
                      reply.data[0], reply.data[1], reply.data[2], reply.data[3]);
        version_ = text;
    }
    return version_.c_str();
}

uint8_t BslLibrary::BSL_eraseSegment(uint32_t address) {
    return messageExchange(loader::addressedPacket(loader::Command::EraseSegment, address));
}

uint8_t BslLibrary::BSL_CRC_Check(uint32_t address, uint32_t length) {
    if (length == 0 || length > 0xFFFF || address >= kAddressSpaceSize) {
        return fail(kBslBadArgument, "CRC range out of bounds");
    }
    auto core = loader::addressedPacket(loader::Command::CrcCheck, address,
                                        loader::lengthTail(static_cast<uint16_t>(length)));
    loader::Reply reply;
    if (uint8_t result = exchange(core, reply); result != 0) {
        return result;
    }
    if (reply.kind == loader::Reply::Kind::Message) {
        return fail(reply.message != 0 && reply.message <= 0x08 ? reply.message : kBslBadReply,
                    "the loader answered: " + loader::messageText(reply.message));
    }
    if (reply.data.size() < 2) {
        return fail(kBslBadReply, "CRC reply too short");
    }
    rxBuffer_ = {};
    size_t count = std::min(reply.data.size(), kDataBufferSize - kDataBufferHeader);
    rxBuffer_.bytes[0] = static_cast<uint8_t>(count & 0xFF);
    rxBuffer_.bytes[1] = static_cast<uint8_t>(count >> 8);
    for (size_t i = 0; i < 3; ++i) {
        rxBuffer_.bytes[2 + i] = core[1 + i];
    }
    std::copy_n(reply.data.begin(), count, rxBuffer_.bytes.begin() + kDataBufferHeader);
    return 0;
}

}  // namespace lumora_usb_encoder
