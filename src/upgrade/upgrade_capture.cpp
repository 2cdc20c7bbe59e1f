#include "upgrade/upgrade_capture.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "settings/settings_file.h"
#include "settings/settings_values.h"
#include "support/file_io.h"
#include "support/ini_file.h"
#include "support/platform_files.h"

namespace lumora_usb_encoder {

namespace {
constexpr const char* kBackupFileName = "UpgradeBackup.ini";
}  // namespace

std::string upgradeBackupPath(const std::string& settingsFile) {
    return (std::filesystem::path(settingsFile).parent_path() / kBackupFileName).string();
}

bool writeUpgradeBackup(const std::string& path, const UpgradeCapture& settings, int32_t ledColour,
                        const std::string& firmwareFile) {
    std::vector<uint8_t> table;
    for (int32_t code : settings.key_codes) {
        table.push_back(static_cast<uint8_t>(code));
    }
    auto number = [](int32_t value) { return std::to_string(static_cast<uint8_t>(value)); };
    const std::pair<const char*, std::string> values[] = {
        {"FirstUp", "Yes"},
        {"KeypadLayout", number(settings.keypad_table)},
        {"LedBrightness", number(settings.led_brightness)},
        {"LedColour", number(ledColour)},
        {"Buzzer", number(settings.buzzer_enable)},
        {"BuzzerPeriod", number(settings.buzzer_period)},
        {"CodeTableValues", formatCodeTableValues(table)},
        {"FirmwareFile", firmwareFile},
        {"Options", number(settings.no_of_keys)},
        {"SerialNumber", settings.serialNumber},
    };
    (void)createFolder(std::filesystem::path(path).parent_path().string());
    // Newest key first under the section line, as the settings file has them.
    std::vector<CIniFile::Record> records = {{"", ' ', kSettingsSection, "", ""}};
    for (auto it = std::rbegin(values); it != std::rend(values); ++it) {
        records.push_back({"", ' ', kSettingsSection, it->first, it->second});
    }
    return CIniFile::Save(path, records);
}

std::optional<UpgradeCapture> readUpgradeBackup(const std::string& path, std::string& problem) {
    if (!readWholeFile(path)) {
        problem = "cannot read " + path;
        return std::nullopt;
    }
    auto value = [&](const char* key) { return CIniFile::GetValue(key, kSettingsSection, path); };
    if (value("FirstUp") != "Yes") {
        problem = path + " holds no saved settings";
        return std::nullopt;
    }
    UpgradeCapture captured;
    const std::pair<const char*, int32_t*> bytes[] = {
        {"KeypadLayout", &captured.keypad_table}, {"LedBrightness", &captured.led_brightness},
        {"Buzzer", &captured.buzzer_enable},      {"BuzzerPeriod", &captured.buzzer_period},
        {"Options", &captured.no_of_keys},
    };
    for (const auto& [key, target] : bytes) {
        auto parsed = parseSettingByte(value(key));
        if (!parsed) {
            problem = path + ": bad value of " + key;
            return std::nullopt;
        }
        *target = *parsed;
    }
    auto table = parseCodeTableValues(value("CodeTableValues"));
    if (!table) {
        problem = path + ": bad value of CodeTableValues";
        return std::nullopt;
    }
    std::copy(table->begin(), table->end(), captured.key_codes.begin());
    captured.serialNumber = value("SerialNumber");
    if (!captured.serialNumber.empty() && captured.serialNumber.size() != 12) {
        problem = path + ": a serial number has 12 characters";
        return std::nullopt;
    }
    return captured;
}

}  // namespace lumora_usb_encoder
