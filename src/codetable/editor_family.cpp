#include "codetable/editor_family.h"

#include "support/user_interface.h"

namespace lumora_usb_encoder {

const std::array<EditorFamily, 3> kEditorFamilies = {{
    {"My4way_layout", 2, 10, 20, UsageEdition::Short, "Quillon™ Layout",
     "Customise Quillon™ Code Table\r\n       (USB Codes in Hex)", KeyArrangement::Picture, 0,
     kCaptionQuillon, true},
    {"My12way_layout", 5, 12, 32, UsageEdition::Full, "Customise 12 Way Keypad Table",
     "Customise 12 Way Code Table\r\n    (USB Codes in Hex)", KeyArrangement::Grid, 3,
     kCaptionEncoder, false},
    {"My16way_layout", 8, 16, 32, UsageEdition::Full, "Customise 16 Way Keypad Table",
     " Customise 16 Way Code Table\r\n           (USB Codes in Hex)\r\n", KeyArrangement::Grid, 4,
     kCaptionEncoder, false},
}};

const EditorFamily* editorFamilyForKeypadType(int keypadType) {
    for (const auto& family : kEditorFamilies) {
        if (family.keypadType == keypadType) {
            return &family;
        }
    }
    return nullptr;
}

const SmallKeypadVariant& smallKeypadVariant(int noOfWayKeypad) {
    static constexpr SmallKeypadVariant kFiveKeys{"parvo5Way.jpg", 0b10101};
    static constexpr SmallKeypadVariant kSixKeys{"parvo6Way.jpg", 0b00101};
    static constexpr SmallKeypadVariant kEightKeys{"parvo8Way.jpg", 0};
    switch (noOfWayKeypad) {
        case 0:
            return kFiveKeys;
        case 1:
            return kSixKeys;
        default:
            return kEightKeys;
    }
}

}  // namespace lumora_usb_encoder
