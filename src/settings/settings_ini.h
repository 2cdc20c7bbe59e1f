#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/keypad_settings.h"

namespace lumora_usb_encoder {

// The "appSettings" keys that hold a snapshot of the keypad, with their values, in the order a
// save writes them: "FirstUp" (marks a filled file), then the settings. The settings file and the
// upgrade backup are both written from this, so they always agree.
std::vector<std::pair<const char*, std::string>> settingsToIni(const KeypadSettings& settings);

// Whether a reader needs "CodeTableValues": a restore sends the table only for a customised
// table type, the restore after an upgrade always sends it.
enum class TableNeed { WhenCustom, Always };

// Reads the snapshot back through `valueOf` (key name to text); nullopt with `problem` naming
// the key whose value cannot be read.
std::optional<KeypadSettings> settingsFromIni(
    const std::function<std::string(const char* key)>& valueOf, TableNeed need,
    std::string& problem);

}  // namespace lumora_usb_encoder
