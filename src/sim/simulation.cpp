#include <charconv>
#include <sstream>

#include "sim/sim_keypad.h"
#include "sim/sim_loader.h"
#include "support/clock.h"

namespace lumora_usb_encoder::sim {

namespace {

bool parseNumber(const std::string& text, long low, long high, long& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

uint8_t optionsFor(int keys) {
    // Bits 0-1 name the small keypad's variant; bit 2 says a buzzer is fitted.
    switch (keys) {
        case 5:
            return 0x04;
        case 6:
            return 0x05;
        default:
            return 0x06;
    }
}

std::array<uint8_t, 32> customTableFor(int keys) {
    std::array<uint8_t, 32> table{};
    int entries = keys <= 8 ? 10 : keys;
    for (int k = 0; k < entries; ++k) {
        table[2 * static_cast<size_t>(k) + 1] = static_cast<uint8_t>(0x04 + k);  // a, b, c, ...
    }
    return table;
}

bool applyFault(const std::string& name, KeypadFaults& faults) {
    // unplug@N: the keypad answers N commands and leaves the bus, as a cable pulled half-way
    // through a job.
    if (name.rfind("unplug@", 0) == 0) {
        long commands = 0;
        if (!parseNumber(name.substr(7), 0, 100000, commands)) {
            return false;
        }
        faults.unplugAfterReports = static_cast<int>(commands) + 1;  // gone at the next one
        return true;
    }
    if (name == "refuse") {
        faults.refuse = true;
    } else if (name == "badcheck") {
        faults.badCheckByte = true;
    } else if (name == "badstatus") {
        faults.badStatusByte = true;
    } else if (name == "badsize") {
        faults.badSizeByte = true;
    } else if (name == "ack") {
        faults.acknowledgeReports = 2;
    } else {
        return false;
    }
    return true;
}

// K@MS;K@MS...: each key 1-16, each time up to a minute.
bool parsePresses(const std::string& value, std::vector<KeyPress>& presses) {
    std::stringstream items(value);
    std::string item;
    std::vector<KeyPress> parsed;
    while (std::getline(items, item, ';')) {
        auto at = item.find('@');
        long key = 0;
        long ms = 0;
        if (at == std::string::npos || !parseNumber(item.substr(0, at), 1, 16, key) ||
            !parseNumber(item.substr(at + 1), 0, 60000, ms)) {
            return false;
        }
        parsed.push_back({static_cast<int>(key), static_cast<uint32_t>(ms)});
    }
    presses.insert(presses.end(), parsed.begin(), parsed.end());
    return !parsed.empty();
}

bool applyItem(const std::string& key, const std::string& value, SimulationSpec& spec,
               bool& optionsGiven) {
    long n = 0;
    KeypadMemory& f = spec.factory;
    if (key == "keys") {
        if (!parseNumber(value, 5, 16, n) || (n != 5 && n != 6 && n != 8 && n != 12 && n != 16)) {
            return false;
        }
        spec.variant.keys = static_cast<int>(n);
        return true;
    }
    if (key == "version") {
        spec.variant.firmwareVersion = value;
        return !value.empty() && value.size() <= 16;
    }
    if (key == "serial") {
        spec.variant.serialNumber = value;
        return value.size() == SimKeypad::kSerialLength;
    }
    if (key == "delay") {
        if (!parseNumber(value, 0, 60000, n)) {
            return false;
        }
        spec.faults.replyDelayMs = static_cast<uint32_t>(n);
        return true;
    }
    if (key == "absent") {
        spec.absent = value == "1";
        return value == "0" || value == "1";
    }
    if (key == "usb") {
        spec.usbFrames = value == "frames";
        return value == "frames" || value == "instant";
    }
    if (key == "fault") {
        return applyFault(value, spec.faults);
    }
    if (key == "press") {
        return parsePresses(value, spec.presses);
    }
    struct Field {
        const char* name;
        long low, high;
        uint8_t* target;
    } fields[] = {{"type", 0, 8, &f.keypadType},     {"brightness", 0, 9, &f.ledBrightness},
                  {"colour", 0, 2, &f.ledColour},    {"buzzer", 0, 1, &f.buzzer},
                  {"period", 0, 9, &f.buzzerPeriod}, {"options", 0, 255, &f.options}};
    for (const auto& field : fields) {
        if (key == field.name) {
            if (!parseNumber(value, field.low, field.high, n)) {
                return false;
            }
            *field.target = static_cast<uint8_t>(n);
            optionsGiven = optionsGiven || key == "options";
            return true;
        }
    }
    return false;
}

}  // namespace

bool parseSimulationSpec(const std::string& text, SimulationSpec& spec, std::string& error) {
    bool optionsGiven = false;
    bool typeGiven = false;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty()) {
            continue;
        }
        auto equals = item.find('=');
        std::string key = item.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
        typeGiven = typeGiven || key == "type";
        if (equals == std::string::npos || !applyItem(key, value, spec, optionsGiven)) {
            error = "bad simulation setting '" + item +
                    "' (keys=5|6|8|12|16, type=0-8, version=TEXT, serial=12 characters, "
                    "brightness=0-9, colour=0-2, buzzer=0|1, period=0-9, options=0-255, "
                    "delay=MS, fault=refuse|badcheck|badstatus|badsize|ack|unplug@N, absent=0|1, "
                    "press=K@MS;K@MS..., usb=frames|instant)";
            return false;
        }
    }
    if (!optionsGiven) {
        spec.factory.options = optionsFor(spec.variant.keys);
    }
    // The larger keypads leave the factory on their own family's default table.
    if (!typeGiven && spec.variant.keys > 8) {
        spec.factory.keypadType = spec.variant.keys == 12 ? 3 : 6;
    }
    spec.factory.customTable = customTableFor(spec.variant.keys);
    return true;
}

Simulation makeSimulation(const SimulationSpec& spec) {
    Simulation simulation;
    simulation.bus = std::make_shared<VirtualBus>();
    simulation.bus->setUsbFrames(spec.usbFrames);
    simulation.keypad = std::make_shared<SimKeypad>(simulation.bus, spec.variant, spec.factory);
    simulation.keypad->faults = spec.faults;
    connectLoader(simulation);  // the upgrade mode command brings the keypad's loader
    if (!spec.absent) {
        simulation.bus->attach(simulation.keypad);
    }
    uint32_t start = GetTickCount();
    for (const KeyPress& press : spec.presses) {
        std::weak_ptr<SimKeypad> keypad = simulation.keypad;
        simulation.bus->callAt(start + press.atMs, [keypad, key = press.key](uint32_t) {
            if (auto pressed = keypad.lock()) {
                (void)pressed->typeKey(key);
            }
        });
    }
    return simulation;
}

std::optional<Simulation> makeSimulation(const std::string& spec, std::string& error) {
    SimulationSpec parsed;
    if (!parseSimulationSpec(spec, parsed, error)) {
        return std::nullopt;
    }
    return makeSimulation(parsed);
}

}  // namespace lumora_usb_encoder::sim
