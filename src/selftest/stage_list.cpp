#include "selftest/stage_list.h"

#include <sstream>

namespace lumora_usb_encoder::selftest {

std::optional<std::array<bool, kStageCount>> parseStageList(const std::string& text,
                                                            std::string& error) {
    std::array<bool, kStageCount> chosen{};
    std::stringstream items(text);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        bool known = false;
        for (size_t i = 0; i < kStageCount; ++i) {
            if (item == kStageNames[i]) {
                chosen[i] = known = any = true;
            }
        }
        if (!known) {
            error = "unknown stage '" + item.substr(0, 24) +
                    "' (choose from led,brightness,buzzer,keys)";
            return std::nullopt;
        }
    }
    if (!any || (!text.empty() && text.back() == ',')) {
        error = "no stage chosen (choose from led,brightness,buzzer,keys)";
        return std::nullopt;
    }
    return chosen;
}

}  // namespace lumora_usb_encoder::selftest
