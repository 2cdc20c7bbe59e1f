// The main window's table list and status lines for every keypad type: the three entries stand
// for the tables of the keypad's own family.
#include <gtest/gtest.h>

#include "settings/keypad_fields.h"

namespace lumora_usb_encoder {
namespace {

TEST(KeypadFamily, TheTableListFollowsTheKeypadsFamily) {
    struct Case {
        int32_t type;
        int32_t entry;         // shown in the table list
        int32_t customisedAs;  // what picking "Customise Table" sends
        const char* variant;   // with options naming an 8-key keypad
        const char* table;
    } cases[] = {
        {0, 0, 2, "8Way Keypad", "Default      Table"},
        {2, 2, 2, "8Way Keypad", "Customise Table"},
        {3, 0, 5, "12Way Keypad", "Default      Table"},
        {4, 1, 5, "12Way Keypad", "Alternate   Table"},
        {5, 2, 5, "12Way Keypad", "Customise Table"},
        {6, 0, 8, "16Way Keypad", "Default      Table"},
        {8, 2, 8, "16Way Keypad", "Customise Table"},
        {9, -1, 2, "8Way Keypad", "Table 9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keypadTypeListEntry(c.type), c.entry) << c.type;
        EXPECT_EQ(keypadTypeForListEntry(c.type, 2), c.customisedAs) << c.type;
        EXPECT_EQ(variantText(2, c.type), c.variant) << c.type;
        EXPECT_EQ(keypadTypeText(c.type), c.table) << c.type;
    }
    EXPECT_EQ(variantText(0, 2), "5Way Keypad") << "the options byte names the small keypads";
}

}  // namespace
}  // namespace lumora_usb_encoder
