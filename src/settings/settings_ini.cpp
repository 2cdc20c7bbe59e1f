#include "settings/settings_ini.h"

#include <span>

#include "settings/settings_values.h"

namespace lumora_usb_encoder {

std::vector<std::pair<const char*, std::string>> settingsToIni(const KeypadSettings& s) {
    return {
        {"FirstUp", "Yes"},
        {"KeypadLayout", std::to_string(s.keypadType)},
        {"LedBrightness", std::to_string(s.ledBrightness)},
        {"LedColour", std::to_string(s.ledColour)},
        {"Buzzer", std::to_string(s.buzzer)},
        {"BuzzerPeriod", std::to_string(periodListIndex(s.buzzerPeriod))},
        {"CodeTableValues", formatCodeTableValues(s.codeTable)},
        {"Options", std::to_string(s.options)},
        {"SerialNumber", s.serialNumber},
    };
}

std::optional<KeypadSettings> settingsFromIni(
    const std::function<std::string(const char* key)>& valueOf, TableNeed need,
    std::string& problem) {
    KeypadSettings s;
    uint8_t periodIndex = 0;
    // What each command takes: a value out of range would be refused by the keypad half-way
    // through a restore, after the factory reset, and leave it with neither old nor new settings.
    struct Number {
        const char* key;
        uint8_t* target;
        uint8_t highest;
    };
    const Number numbers[] = {{"Options", &s.options, 255},
                              {"KeypadLayout", &s.keypadType, 8},
                              {"LedBrightness", &s.ledBrightness, 9},
                              {"LedColour", &s.ledColour, 2},
                              {"Buzzer", &s.buzzer, 1},
                              {"BuzzerPeriod", &periodIndex, 8}};
    for (const auto& [key, target, highest] : numbers) {
        auto value = parseSettingByte(valueOf(key));
        if (!value || *value > highest) {
            problem = std::string("bad value of ") + key;
            return std::nullopt;
        }
        *target = *value;
    }
    s.buzzerPeriod = periodFromListIndex(periodIndex);
    if (need == TableNeed::Always || isCustomTableType(s.keypadType)) {
        auto table = parseCodeTableValues(valueOf("CodeTableValues"));
        if (!table) {
            problem = "bad value of CodeTableValues";
            return std::nullopt;
        }
        s.codeTable = std::move(*table);
    }
    s.serialNumber = valueOf("SerialNumber");
    if (!s.serialNumber.empty() && s.serialNumber.size() != kSerialNumberLength) {
        problem = "a serial number has 12 characters";
        return std::nullopt;
    }
    return s;
}

}  // namespace lumora_usb_encoder
