#include "selftest/key_layout.h"

#include <algorithm>

namespace lumora_usb_encoder::selftest {

namespace {

std::vector<KeyPicture> smallKeypad(uint8_t options) {
    std::vector<KeyPicture> pictures;
    for (int button = 1; button <= 8; ++button) {
        pictures.push_back({button, std::to_string(button), true});
    }
    pictures.push_back({9, "jack in", true});
    pictures.push_back({10, "jack out", true});
    // The 5- and 6-key keypads leave some places of the 8-key board empty; only these two exact
    // values name them, so a byte with other bits set keeps every key.
    std::vector<int> absent;
    if (options == 0) {
        absent = {1, 3, 5};
    } else if (options == 1) {
        absent = {1, 3};
    }
    std::erase_if(pictures, [&](const KeyPicture& p) {
        return std::find(absent.begin(), absent.end(), p.button) != absent.end();
    });
    return pictures;
}

std::vector<KeyPicture> numbered(const std::vector<int>& buttons) {
    std::vector<KeyPicture> pictures(buttons.size());
    std::transform(buttons.begin(), buttons.end(), pictures.begin(),
                   [number = 0](int button) mutable {
                       return KeyPicture{button, std::to_string(++number), false};
                   });
    return pictures;
}

}  // namespace

std::vector<KeyPicture> keyLayout(uint8_t keypadType, uint8_t options) {
    if (keypadType <= 2) {
        return smallKeypad(options);
    }
    if (keypadType <= 5) {
        return numbered({1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15});
    }
    if (keypadType <= 8) {
        return numbered({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    }
    return {};
}

}  // namespace lumora_usb_encoder::selftest
