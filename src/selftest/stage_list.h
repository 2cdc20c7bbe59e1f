#pragma once

#include <array>
#include <optional>
#include <string>

#include "selftest/self_test_port.h"

namespace lumora_usb_encoder::selftest {

// The stage names a command line uses, in running order.
inline constexpr const char* kStageNames[kStageCount] = {"led", "brightness", "buzzer", "keys"};

// "led,brightness" and the like; nullopt with the reason for an unknown or missing name.
std::optional<std::array<bool, kStageCount>> parseStageList(const std::string& text,
                                                            std::string& error);

}  // namespace lumora_usb_encoder::selftest
