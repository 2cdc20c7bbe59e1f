// The settings values a restore reads, on arbitrary text: each line of the input is one value,
// in the order Options, KeypadLayout, LedBrightness, LedColour, Buzzer, BuzzerPeriod,
// CodeTableValues. What parses must print back to text that parses to the same values.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "settings/settings_ini.h"
#include "settings/settings_values.h"

using namespace lumora_usb_encoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto byte = parseSettingByte(text);
        byte && parseSettingByte(std::to_string(*byte)) != byte) {
        std::abort();
    }
    if (auto table = parseCodeTableValues(text);
        table && parseCodeTableValues(formatCodeTableValues(*table)) != table) {
        std::abort();
    }
    std::map<std::string, std::string> values;
    const char* keys[] = {"Options", "KeypadLayout", "LedBrightness",  "LedColour",
                          "Buzzer",  "BuzzerPeriod", "CodeTableValues"};
    for (const char* key : keys) {
        size_t end = text.find('\n');
        values[key] = std::string(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    std::string problem;
    auto read =
        settingsFromIni([&](const char* key) { return values[key]; }, TableNeed::Always, problem);
    if (read) {
        // What was accepted is written back in a form that reads as the same settings.
        std::map<std::string, std::string> written;
        for (const auto& [key, value] : settingsToIni(*read)) {
            written[key] = value;
        }
        if (settingsFromIni([&](const char* key) { return written[key]; }, TableNeed::Always,
                            problem) != read) {
            std::abort();
        }
    }
    return 0;
}
