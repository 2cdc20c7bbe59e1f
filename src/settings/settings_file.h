#pragma once

#include <array>
#include <string>

namespace lumora_usb_encoder {

inline constexpr const char* kSettingsFolderName = "VorlaInterface";
inline constexpr const char* kSettingsFileName = "USBUtilityCfg.ini";
inline constexpr const char* kExchangeFileName = "USBUtilityQuillonCfg.ini";
inline constexpr const char* kSettingsSection = "appSettings";

// The keys of the settings file, in the order a new file receives them (each new key goes right
// under the section line, so in the file they stand the other way round).
inline constexpr std::array<const char*, 10> kSettingsKeys = {
    "FirstUp",      "KeypadLayout",    "LedBrightness", "LedColour", "Buzzer",
    "BuzzerPeriod", "CodeTableValues", "FirmwareFile",  "Options",   "SerialNumber"};

// Where the window and quillonctl keep the settings file: <local data>/VorlaInterface/
// USBUtilityCfg.ini. Empty when there is no local data folder; the programs then run without one.
std::string defaultSettingsPath();

// First use: makes the folder when nothing of its name is there, and, when no file of that name
// exists, creates the file with the section "appSettings" and the ten keys with empty values.
// An existing file is neither read nor changed. The new file is written in one piece, byte for
// byte what creating it key by key would give, so an interrupted start cannot leave half of it.
// True when the settings file exists afterwards.
bool ensureSettingsFile(const std::string& FileName);

}  // namespace lumora_usb_encoder
