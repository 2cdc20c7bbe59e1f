#include <algorithm>
#include <array>
#include <cstring>

#include "firmware/firmware_resources.h"
#include "firmware/loader_protocol.h"
#include "sim/sim_loader.h"

namespace lumora_usb_encoder::sim {

namespace {

constexpr uint32_t kPmmCtl0 = 0x0120;
constexpr uint32_t kInfoStart = 0x1800, kInfoEnd = 0x1A00, kInfoSegment = 128;
constexpr uint32_t kRamStart = 0x1C00, kRamEnd = 0x4400;
constexpr uint32_t kMainStart = 0x4400, kMainEnd = SimLoader::kMemorySize, kMainSegment = 512;
constexpr uint32_t kResetVector = 0xFFFE;
constexpr uint32_t kRamLoaderStart = 0x2500, kRamLoaderEntry = 0x2504;
constexpr uint8_t kRamLoaderVersion[4] = {0x00, 0x06, 0x05, 0x34};

bool inRam(uint32_t a) {
    return a >= kRamStart && a < kRamEnd;
}
bool inInfo(uint32_t a) {
    return a >= kInfoStart && a < kInfoEnd;
}
bool inMain(uint32_t a) {
    return a >= kMainStart && a < kMainEnd;
}

// The CRC register's byte step, worked out bit by bit as the CRC module shifts, so that the
// host's folded byte-wise CRC is still checked against a different computation.
std::array<uint16_t, 256> crcSteps() {
    std::array<uint16_t, 256> steps{};
    for (uint32_t high = 0; high < steps.size(); ++high) {
        auto crc = static_cast<uint16_t>(high << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
        }
        steps[high] = crc;
    }
    return steps;
}

uint16_t crcOver(const std::vector<uint8_t>& memory, uint32_t address, uint32_t length) {
    static const std::array<uint16_t, 256> kSteps = crcSteps();
    uint16_t crc = 0xFFFF;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t a = address + i;
        uint8_t byte = a < memory.size() ? memory[a] : 0xFF;
        crc = static_cast<uint16_t>((crc << 8) ^ kSteps[(crc >> 8) ^ byte]);
    }
    return crc;
}

}  // namespace

uint8_t SimLoader::writeBlock(uint32_t address, const uint8_t* bytes, size_t count, bool ramOnly,
                              uint32_t now) {
    uint8_t result = 0;
    bool resetRequested = false;
    for (size_t i = 0; i < count; ++i) {
        uint32_t a = address + static_cast<uint32_t>(i);
        if (inRam(a)) {
            memory_[a] = bytes[i];
        } else if (ramOnly) {
            continue;
        } else if (a == kPmmCtl0 && i + 1 < count) {
            // PMMSWBOR with the PMM password: a software brown-out reset.
            resetRequested = bytes[i] == 0x04 && bytes[i + 1] == 0xA5;
        } else if (inInfo(a) || inMain(a)) {
            // Programming only clears bits; over unerased flash the result is not what was sent.
            memory_[a] &= bytes[i];
            if (faults.badCellAddress == a) {
                memory_[a] = static_cast<uint8_t>(bytes[i] ^ 0x01);
            }
            flashChanged_ = true;
            if (memory_[a] != bytes[i]) {
                result = static_cast<uint8_t>(loader::Message::WriteCheckFailed);
            }
        }
    }
    if (resetRequested) {
        reset(now);
    }
    return result;
}

void SimLoader::eraseSegment(uint32_t address, uint32_t now) {
    uint32_t size = inMain(address) ? kMainSegment : inInfo(address) ? kInfoSegment : 0;
    if (size == 0) {
        message(static_cast<uint8_t>(loader::Message::FlashFail), now);
        return;
    }
    uint32_t start = address & ~(size - 1);
    std::fill_n(memory_.begin() + start, size, uint8_t{0xFF});
    flashChanged_ = true;
    message(0, now, timing.eraseMs);
}

void SimLoader::massErase() {
    std::fill(memory_.begin() + kMainStart, memory_.end(), uint8_t{0xFF});
    flashChanged_ = true;
    ++massErases_;
}

void SimLoader::crcCheck(uint32_t address, uint32_t length, uint32_t now) {
    uint16_t crc = crcOver(memory_, address, length);
    const uint8_t bytes[] = {static_cast<uint8_t>(crc & 0xFF), static_cast<uint8_t>(crc >> 8)};
    data(bytes, now);
}

// Up to 65535 bytes, a thousand replies, queued as one burst: each is copied from memory in
// one piece, and what lies beyond the part reads as erased flash.
void SimLoader::txDataBlock(uint32_t address, uint32_t length, uint32_t now) {
    constexpr uint32_t kPerReport = loader::kMaxCorePacket - 1;
    auto bus = bus_.lock();
    if (!bus) {
        return;
    }
    std::array<uint8_t, loader::kMaxCorePacket> core;
    core[0] = loader::kDataReply;
    auto reply = [&](size_t index) {
        auto offset = static_cast<uint32_t>(index) * kPerReport;
        uint32_t count = std::min(kPerReport, length - offset);
        size_t first = size_t{address} + offset;
        size_t inside =
            first < memory_.size() ? std::min<size_t>(count, memory_.size() - first) : 0;
        if (inside > 0) {
            std::memcpy(core.data() + 1, memory_.data() + first, inside);
        }
        std::fill(core.begin() + 1 + static_cast<std::ptrdiff_t>(inside), core.begin() + 1 + count,
                  uint8_t{0xFF});
        return replyReport(Core(core.data(), count + 1), now, 0);
    };
    bus->queueReports(this, 0, (length + kPerReport - 1) / kPerReport, reply);
}

void SimLoader::loadPc(uint32_t address, uint32_t now) {
    bool ramLoaderImage = std::equal(std::begin(kRamLoaderVersion), std::end(kRamLoaderVersion),
                                     memory_.begin() + kRamLoaderStart);
    // Also from the running RAM loader: a jump to the entry starts it afresh.
    if (address == kRamLoaderEntry && ramLoaderImage) {
        leaving_ = true;
        std::shared_ptr<SimLoader> self = shared_from_this();
        leaveThen([self](uint32_t left) {
            self->ramLoader_ = true;
            if (auto bus = self->bus_.lock()) {
                bus->attachAt(self, left + self->timing.restartMs);
            }
        });
        return;
    }
    // A jump anywhere else ends the loader; what runs next is up to the reset vector.
    reset(now);
}

std::string SimLoader::imageVersion() const {
    const uint8_t* record = memory_.data() + kVersionRecordAddress;
    if (std::memcmp(record, kVersionRecordMagic, 4) != 0) {
        return {};
    }
    std::string version;
    for (size_t i = 4; i < 4 + kMaxVersionLength && record[i] >= 0x20 && record[i] < 0x7F; ++i) {
        version += static_cast<char>(record[i]);
    }
    return version;
}

void SimLoader::loadFactoryImage(const std::string& version) {
    const auto& vectors = keypadVectorTable();
    std::copy(vectors.begin(), vectors.end(), memory_.begin() + 0xFFE0);
    // mov #0x4400,SP ... then the record that names the version.
    const uint8_t code[] = {0x31, 0x40, 0x00, 0x44, 0xB2, 0x40, 0x80, 0x5A, 0x5C, 0x01};
    std::copy(std::begin(code), std::end(code), memory_.begin() + kMainStart);
    std::string record = std::string(kVersionRecordMagic) + version.substr(0, kMaxVersionLength);
    std::copy(record.begin(), record.end(), memory_.begin() + kVersionRecordAddress);
    memory_[kVersionRecordAddress + record.size()] = 0;
    flashChanged_ = false;
}

bool SimLoader::resetVectorErased() const {
    return memory_[kResetVector] == 0xFF && memory_[kResetVector + 1] == 0xFF;
}

}  // namespace lumora_usb_encoder::sim
