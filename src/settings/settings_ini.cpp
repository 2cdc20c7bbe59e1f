#include "settings/settings_ini.h"

#include <span>

#include "settings/settings_values.h"

namespace lumora_usb_encoder {

std::vector<std::pair<const char*, std::string>> settingsToIni(const KeypadSettings& s) {
    auto table = std::span<const uint8_t>(s.codeTable);
    return {
        {"FirstUp", "Yes"},
        {"KeypadLayout", std::to_string(s.keypadType)},
        {"LedBrightness", std::to_string(s.ledBrightness)},
        {"LedColour", std::to_string(s.ledColour)},
        {"Buzzer", std::to_string(s.buzzer)},
        {"BuzzerPeriod", std::to_string(periodListIndex(s.buzzerPeriod))},
        {"CodeTableValues",
         formatCodeTableValues(table.first(std::min(table.size(), kStoredTableBytes)))},
        {"Options", std::to_string(s.options)},
        {"SerialNumber", s.serialNumber},
    };
}

std::optional<KeypadSettings> settingsFromIni(
    const std::function<std::string(const char* key)>& valueOf, TableNeed need,
    std::string& problem) {
    KeypadSettings s;
    uint8_t periodIndex = 0;
    const std::pair<const char*, uint8_t*> numbers[] = {{"Options", &s.options},
                                                        {"KeypadLayout", &s.keypadType},
                                                        {"LedBrightness", &s.ledBrightness},
                                                        {"LedColour", &s.ledColour},
                                                        {"Buzzer", &s.buzzer},
                                                        {"BuzzerPeriod", &periodIndex}};
    for (const auto& [key, target] : numbers) {
        auto value = parseSettingByte(valueOf(key));
        if (!value) {
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
        s.codeTable.assign(table->begin(), table->end());
    }
    s.serialNumber = valueOf("SerialNumber");
    return s;
}

}  // namespace lumora_usb_encoder
