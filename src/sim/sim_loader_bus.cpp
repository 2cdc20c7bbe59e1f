#include <algorithm>
#include <array>

#include "firmware/loader_protocol.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {

constexpr uint32_t kLeaveAfterMs = 10;  // USB transfers in flight still complete

// A firmware new to the keypad knows nothing of what the old one stored: the upgrade's restore
// brings the variant, serial number and settings back.
void forgetSettings(SimKeypad& keypad) {
    keypad.current() = KeypadMemory{};
    keypad.current().options = 0;
    keypad.defaults() = keypad.current();
    keypad.variant().serialNumber = std::string(SimKeypad::kSerialLength, '0');
}

}  // namespace

void SimLoader::message(uint8_t code, uint32_t now, uint32_t busyMs) {
    const uint8_t core[] = {loader::kMessageReply, code};
    queueCore(core, now, busyMs);
}

void SimLoader::data(Core bytes, uint32_t now, uint32_t busyMs) {
    std::array<uint8_t, loader::kMaxCorePacket> core;
    if (bytes.size() >= core.size()) {
        return;  // no room for the reply code: such a reply cannot be sent
    }
    core[0] = loader::kDataReply;
    std::copy(bytes.begin(), bytes.end(), core.begin() + 1);
    queueCore(Core(core.data(), bytes.size() + 1), now, busyMs);
}

void SimLoader::queueCore(Core core, uint32_t now, uint32_t busyMs) {
    if (core.empty() || core.size() > loader::kMaxCorePacket) {
        return;
    }
    if (auto bus = bus_.lock()) {
        bus->queueReport(this, 0, replyReport(core, now, busyMs));
    }
}

PendingReport SimLoader::replyReport(Core core, uint32_t now, uint32_t busyMs) const {
    loader::Report report;
    loader::wrapCorePacket(core, report);
    return {now + timing.reportMs + busyMs, Report(report.data(), report.data() + report.size())};
}

void SimLoader::leaveThen(std::function<void(uint32_t)> then) {
    leaving_ = true;
    if (auto bus = bus_.lock()) {
        bus->detachLater(this, kLeaveAfterMs, std::move(then));
    }
}

void SimLoader::reset(uint32_t now) {
    (void)now;
    // The pending departure holds the loader until it has decided what comes back.
    std::shared_ptr<SimLoader> self = shared_from_this();
    leaveThen([self](uint32_t left) { self->boot(left + self->timing.restartMs); });
}

void SimLoader::keypadOwnsLoader() {
    if (auto link = link_.lock()) {
        link->loader = shared_from_this();
    }
    keypadHeld_.reset();
}

void SimLoader::loaderOwnsKeypad() {
    keypadHeld_ = keypad_.lock();
    if (auto link = link_.lock()) {
        link->loader.reset();
    }
}

// What the part runs after a reset: with no reset vector, the loader in protected flash;
// otherwise the keypad firmware, whichever version the image carries.
void SimLoader::boot(uint32_t at) {
    auto bus = bus_.lock();
    if (!bus) {
        return;
    }
    ramLoader_ = false;
    auto keypad = keypad_.lock();
    if (resetVectorErased() || !keypad) {
        bus->attachAt(shared_from_this(), at);
        return;
    }
    keypadOwnsLoader();
    if (flashChanged_) {
        forgetSettings(*keypad);
        std::string version = imageVersion();
        keypad->variant().firmwareVersion = version.empty() ? "0.0" : version;
        flashChanged_ = false;
    }
    bus->attachAt(keypad, at);
}

void SimLoader::enterFromKeypad(uint32_t now) {
    ramLoader_ = false;
    if (auto bus = bus_.lock()) {
        bus->attachAt(shared_from_this(), now + timing.restartMs);
    }
    loaderOwnsKeypad();
}

void SimLoader::replug() {
    auto bus = bus_.lock();
    if (!bus) {
        return;
    }
    bus->detach(this);
    if (auto keypad = keypad_.lock()) {
        bus->detach(keypad.get());
    }
    std::lock_guard lock(bus->mutex());
    boot(GetTickCount());
}

std::shared_ptr<SimLoader> connectLoader(const Simulation& simulation) {
    auto loader = std::make_shared<SimLoader>(simulation.bus, simulation.keypad);
    loader->loadFactoryImage(simulation.keypad->variant().firmwareVersion);
    auto link = std::make_shared<SimLoader::Link>(SimLoader::Link{loader});
    loader->link_ = link;
    std::weak_ptr<SimLoader> weak = loader;
    simulation.keypad->onUpgradeMode = [link, weak](uint32_t now) {
        if (auto target = weak.lock()) {
            target->enterFromKeypad(now);
        }
    };
    return loader;
}

}  // namespace lumora_usb_encoder::sim
