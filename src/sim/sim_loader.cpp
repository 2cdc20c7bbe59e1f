#include "sim/sim_loader.h"

#include <algorithm>

#include "firmware/loader_protocol.h"
#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {

using loader::Command;

uint32_t address24(std::span<const uint8_t> core) {
    return core[1] | (core[2] << 8) | (static_cast<uint32_t>(core[3]) << 16);
}
uint32_t length16(std::span<const uint8_t> core) {
    return core[4] | (core[5] << 8);
}

}  // namespace

SimLoader::SimLoader(std::weak_ptr<VirtualBus> bus, std::weak_ptr<SimKeypad> keypad)
    : bus_(std::move(bus)), keypad_(std::move(keypad)), memory_(kMemorySize, 0xFF) {
    std::fill(memory_.begin() + 0x1C00, memory_.begin() + 0x4400, uint8_t{0});  // RAM
}

std::u16string SimLoader::product() const {
    return posesAsHardware ? std::u16string() : loader::kSimulatedProduct;
}

void SimLoader::attached(uint32_t now) {
    (void)now;
    leaving_ = false;
    unlocked_ = false;  // every start of a loader asks for the password again
}

void SimLoader::hostWrite(int interfaceNumber, const uint8_t* data, size_t length, uint32_t now) {
    if (interfaceNumber != 0 || leaving_) {
        return;
    }
    // An interrupt OUT transfer holds the host for its frame. Sleeping until the frame's tick,
    // not for a whole millisecond from now, keeps one report per frame instead of losing the
    // sleep's overshoot on every report.
    if (timing.reportMs > 0) {
        now += timing.reportMs;
        SleepUntil(now);
    }
    ++reportsReceived_;
    if (faults.unplugAfterReports >= 0 && faults.unplugAfterReports-- == 0) {
        leaveThen({});
        return;
    }
    if (faults.noReply) {
        return;
    }
    if (length >= 2 && data[0] == loader::kReportId && data[1] > loader::kMaxCorePacket) {
        message(static_cast<uint8_t>(loader::Message::PacketTooLong), now);
        return;
    }
    auto core = loader::unwrapReport(std::span(data, length));
    if (!core.empty()) {
        handle(core, now);
    }
}

void SimLoader::handle(Core core, uint32_t now) {
    uint8_t command = core[0];
    if (!ramLoader_) {
        if (!handleRomCommand(command, core, now)) {
            message(static_cast<uint8_t>(loader::Message::UnknownCommand), now);
        }
        return;
    }
    handleRamCommand(command, core, now);
}

// The loader in protected flash knows three commands; it only ever loads RAM and jumps.
bool SimLoader::handleRomCommand(uint8_t command, Core core, uint32_t now) {
    switch (static_cast<Command>(command)) {
        case Command::RxPassword:
            password(core, now);
            return true;
        case Command::RxDataBlockFast:
            if (unlocked_ && core.size() >= 4) {
                writeBlock(address24(core), core.data() + 4, core.size() - 4, true, now);
            }
            return true;
        case Command::LoadPc:
            if (unlocked_ && core.size() >= 4) {
                loadPc(address24(core), now);
            }
            return true;
        default:
            return false;
    }
}

// A command too short for its arguments gets no reply, like a packet the loader never
// finished receiving.
void SimLoader::handleRamCommand(uint8_t command, Core core, uint32_t now) {
    auto kind = static_cast<Command>(command);
    if (kind != Command::RxPassword && !unlocked_) {
        if (kind != Command::RxDataBlockFast) {
            message(static_cast<uint8_t>(loader::Message::Locked), now);
        }
        return;
    }
    size_t needs = kind == Command::CrcCheck || kind == Command::TxDataBlock ? 6
                   : kind == Command::RxDataBlock || kind == Command::RxDataBlockFast ||
                           kind == Command::EraseSegment || kind == Command::LoadPc
                       ? 4
                       : 1;
    if (core.size() < needs) {
        return;
    }
    switch (kind) {
        case Command::RxPassword:
            return password(core, now);
        case Command::RxDataBlock:
            return message(
                writeBlock(address24(core), core.data() + 4, core.size() - 4, false, now), now);
        case Command::RxDataBlockFast:
            writeBlock(address24(core), core.data() + 4, core.size() - 4, false, now);
            return;
        case Command::EraseSegment:
            return eraseSegment(address24(core), now);
        case Command::UnlockLockInfo:
            return message(0, now);
        case Command::MassErase:
            massErase();
            return message(0, now, timing.eraseMs);
        case Command::CrcCheck:
            return crcCheck(address24(core), length16(core), now);
        case Command::LoadPc:
            return loadPc(address24(core), now);
        case Command::TxDataBlock:
            return txDataBlock(address24(core), length16(core), now);
        case Command::TxBslVersion: {
            auto v = faults.versionReply.value_or(std::array<uint8_t, 4>{0x00, 0x06, 0x05, 0x34});
            return data(v, now);
        }
        case Command::TxBufferSize: {
            const uint8_t size[] = {static_cast<uint8_t>(loader::kMaxCorePacket), 0x00};
            return data(size, now);
        }
        default:
            return message(static_cast<uint8_t>(loader::Message::UnknownCommand), now);
    }
}

void SimLoader::password(Core core, uint32_t now) {
    bool matches = core.size() == 1 + loader::kPasswordSize &&
                   std::equal(core.begin() + 1, core.end(), memory_.begin() + 0xFFE0);
    if (matches) {
        unlocked_ = true;
        message(0, now);
        return;
    }
    // The part protects its firmware: a wrong password costs the whole main flash.
    unlocked_ = false;
    massErase();
    message(static_cast<uint8_t>(loader::Message::PasswordError), now, timing.eraseMs);
}

}  // namespace lumora_usb_encoder::sim
